#include "toolkit/graphics/FontMap.h"

#include <algorithm>
#include <cctype>
#include <fontconfig/fontconfig.h>
#include <iterator>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <tuple>
#include <vector>

namespace qel {

const char* const DefaultFontFamily = "Liberation Sans";

namespace {

std::string Lower(std::string_view S) {
    std::string R(S);
    for (char& C : R)
        C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
    return R;
}

struct TAlias {
    const char* Name;
    const char* Family;
};

// Names are compared case-insensitively. The classic bitmap faces (MS Sans Serif, System, Small
// Fonts ...) map to the outline family whose metrics come closest.
constexpr TAlias Aliases[] = {
    {"ms sans serif", "Liberation Sans"},
    {"microsoft sans serif", "Liberation Sans"},
    {"ms shell dlg", "Liberation Sans"},
    {"ms shell dlg 2", "Liberation Sans"},
    {"arial", "Liberation Sans"},
    {"helvetica", "Liberation Sans"},
    {"tahoma", "Liberation Sans"},
    {"segoe ui", "Liberation Sans"},
    {"system", "Liberation Sans"},
    {"small fonts", "Liberation Sans"},
    {"liberation sans", "Liberation Sans"},
    {"sans-serif", "Liberation Sans"},
    {"arial narrow", "Liberation Sans Narrow"},
    {"liberation sans narrow", "Liberation Sans Narrow"},
    {"times new roman", "Liberation Serif"},
    {"times", "Liberation Serif"},
    {"ms serif", "Liberation Serif"},
    {"roman", "Liberation Serif"},
    {"georgia", "Liberation Serif"},
    {"liberation serif", "Liberation Serif"},
    {"serif", "Liberation Serif"},
    {"courier new", "Liberation Mono"},
    {"courier", "Liberation Mono"},
    {"fixedsys", "Liberation Mono"},
    {"terminal", "Liberation Mono"},
    {"lucida console", "Liberation Mono"},
    {"consolas", "Liberation Mono"},
    {"liberation mono", "Liberation Mono"},
    {"monospace", "Liberation Mono"},
    {"verdana", "DejaVu Sans"},
    {"dejavu sans", "DejaVu Sans"},
    {"dejavu serif", "DejaVu Serif"},
    {"dejavu sans mono", "DejaVu Sans Mono"},
    // Symbol faces: no compatible font is shipped; DejaVu Sans covers the most symbols.
    {"wingdings", "DejaVu Sans"},
    {"webdings", "DejaVu Sans"},
    {"symbol", "DejaVu Sans"},
    {"marlett", "DejaVu Sans"},
};

struct TKnownFiles {
    const char* Family;
    const char* Files[4]; // regular, bold, italic, bold italic (nullptr = missing)
};

constexpr const char* LibDirs[] = {"/usr/share/fonts/truetype/liberation/",
                                   "/usr/share/fonts/truetype/liberation2/"};
constexpr const char* DejaVuDir = "/usr/share/fonts/truetype/dejavu/";

constexpr TKnownFiles Known[] = {
    {"Liberation Sans",
     {"LiberationSans-Regular.ttf", "LiberationSans-Bold.ttf", "LiberationSans-Italic.ttf",
      "LiberationSans-BoldItalic.ttf"}},
    {"Liberation Sans Narrow",
     {"LiberationSansNarrow-Regular.ttf", "LiberationSansNarrow-Bold.ttf",
      "LiberationSansNarrow-Italic.ttf", "LiberationSansNarrow-BoldItalic.ttf"}},
    {"Liberation Serif",
     {"LiberationSerif-Regular.ttf", "LiberationSerif-Bold.ttf", "LiberationSerif-Italic.ttf",
      "LiberationSerif-BoldItalic.ttf"}},
    {"Liberation Mono",
     {"LiberationMono-Regular.ttf", "LiberationMono-Bold.ttf", "LiberationMono-Italic.ttf",
      "LiberationMono-BoldItalic.ttf"}},
    {"DejaVu Sans",
     {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSans-Oblique.ttf",
      "DejaVuSans-BoldOblique.ttf"}},
    {"DejaVu Serif",
     {"DejaVuSerif.ttf", "DejaVuSerif-Bold.ttf", "DejaVuSerif-Italic.ttf",
      "DejaVuSerif-BoldItalic.ttf"}},
    {"DejaVu Sans Mono",
     {"DejaVuSansMono.ttf", "DejaVuSansMono-Bold.ttf", "DejaVuSansMono-Oblique.ttf",
      "DejaVuSansMono-BoldOblique.ttf"}},
};

bool FileExists(const std::string& Path) {
    struct stat St;
    return !Path.empty() && ::stat(Path.c_str(), &St) == 0 && S_ISREG(St.st_mode);
}

// Fontconfig lookup with an exact family check: fontconfig always returns *some* font, and a
// silent substitution would make rendering depend on the machine.
bool FontconfigFind(const std::string& Family, bool Bold, bool Italic, TFontFile& Out) {
    static std::once_flag Once;
    static bool Ok = false;
    std::call_once(Once, [] { Ok = FcInit() == FcTrue; });
    if (!Ok) return false;
    FcPattern* Pat = FcPatternCreate();
    if (!Pat) return false;
    FcPatternAddString(Pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(Family.c_str()));
    FcPatternAddInteger(Pat, FC_WEIGHT, Bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(Pat, FC_SLANT, Italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddInteger(Pat, FC_WIDTH, FC_WIDTH_NORMAL);
    FcPatternAddBool(Pat, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, Pat, FcMatchPattern);
    FcDefaultSubstitute(Pat);
    FcResult Res = FcResultNoMatch;
    FcPattern* Match = FcFontMatch(nullptr, Pat, &Res);
    FcPatternDestroy(Pat);
    if (!Match) return false;
    bool Found = false;
    const std::string Want = Lower(Family);
    FcChar8* Name = nullptr;
    for (int I = 0; FcPatternGetString(Match, FC_FAMILY, I, &Name) == FcResultMatch; ++I) {
        if (Lower(reinterpret_cast<const char*>(Name)) == Want) {
            Found = true;
            break;
        }
    }
    FcChar8* File = nullptr;
    int Width = FC_WIDTH_NORMAL;
    FcPatternGetInteger(Match, FC_WIDTH, 0, &Width);
    if (Found && Width == FC_WIDTH_NORMAL &&
        FcPatternGetString(Match, FC_FILE, 0, &File) == FcResultMatch &&
        FileExists(reinterpret_cast<const char*>(File))) {
        int Weight = FC_WEIGHT_REGULAR, Slant = FC_SLANT_ROMAN;
        FcPatternGetInteger(Match, FC_WEIGHT, 0, &Weight);
        FcPatternGetInteger(Match, FC_SLANT, 0, &Slant);
        Out.Family = Family;
        Out.Path = reinterpret_cast<const char*>(File);
        Out.Bold = Weight >= FC_WEIGHT_DEMIBOLD;
        Out.Italic = Slant != FC_SLANT_ROMAN;
    } else {
        Found = false;
    }
    FcPatternDestroy(Match);
    // A match in the wrong style is no better than the plain file plus synthesis, but a match
    // of the plain style when bold was wanted is fine: the caller emboldens it.
    return Found && (!Out.Bold || Bold) && (!Out.Italic || Italic);
}

bool KnownPathFind(const std::string& Family, bool Bold, bool Italic, TFontFile& Out) {
    for (const TKnownFiles& K : Known) {
        if (Lower(K.Family) != Lower(Family)) continue;
        const int Want = (Bold ? 1 : 0) + (Italic ? 2 : 0);
        // Best style first, then drop italic, then bold, then both.
        const int Order[4] = {Want, Want & 1, Want & 2, 0};
        for (int Idx : Order) {
            const bool IsDejaVu = std::string_view(K.Family).starts_with("DejaVu");
            std::vector<std::string> Dirs;
            if (IsDejaVu)
                Dirs.push_back(DejaVuDir);
            else
                Dirs.assign(std::begin(LibDirs), std::end(LibDirs));
            for (const std::string& Dir : Dirs) {
                if (!K.Files[Idx]) continue;
                std::string Path = Dir + K.Files[Idx];
                if (FileExists(Path)) {
                    Out = {K.Family, Path, (Idx & 1) != 0, (Idx & 2) != 0};
                    return true;
                }
            }
        }
    }
    return false;
}

} // namespace

std::string MapFontFamily(std::string_view Name, uint8_t PitchAndFamily) {
    const std::string Key = Lower(Name);
    for (const TAlias& A : Aliases)
        if (Key == A.Name) return A.Family;
    const int Family = PitchAndFamily & 0xF0;
    if ((PitchAndFamily & 0x03) == 1 /* FIXED_PITCH */ || Family == 0x30 /* FF_MODERN */)
        return "Liberation Mono";
    if (Family == 0x10 /* FF_ROMAN */) return "Liberation Serif";
    return DefaultFontFamily;
}

namespace {

bool ResolveFamily(const std::string& Family, bool Bold, bool Italic, TFontFile& R) {
    if (FontconfigFind(Family, Bold, Italic, R)) return true;
    if ((Bold || Italic) && FontconfigFind(Family, false, false, R)) return true;
    return KnownPathFind(Family, Bold, Italic, R);
}

} // namespace

TFontFile FindFontFile(const std::string& Family, bool Bold, bool Italic) {
    static std::mutex Lock;
    static std::map<std::tuple<std::string, bool, bool>, TFontFile> Cache;
    std::lock_guard<std::mutex> Guard(Lock);
    auto Key = std::make_tuple(Lower(Family), Bold, Italic);
    if (auto It = Cache.find(Key); It != Cache.end()) return It->second;

    // A family that is not installed falls back to the default family, and that to DejaVu
    // Sans, so the result never depends on which other fonts a machine happens to have.
    TFontFile R;
    if (!ResolveFamily(Family, Bold, Italic, R) &&
        !ResolveFamily(DefaultFontFamily, Bold, Italic, R) &&
        !ResolveFamily("DejaVu Sans", Bold, Italic, R))
        R = TFontFile{};
    Cache[Key] = R;
    return R;
}

} // namespace qel
