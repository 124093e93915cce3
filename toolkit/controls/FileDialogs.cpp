#include "toolkit/controls/FileDialogs.h"

#include "toolkit/controls/ComboBox.h"
#include "toolkit/controls/Dialogs.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/ListBox.h"
#include "toolkit/core/Exceptions.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>

namespace qel {

namespace fs = std::filesystem;

namespace {
bool WildMatch(const char* P, const char* S) {
    for (; *P; ++P, ++S) {
        if (*P == '*') {
            for (const char* T = S;; ++T) {
                if (WildMatch(P + 1, T)) return true;
                if (!*T) return false;
            }
        }
        if (!*S) return false;
        if (*P != '?' && std::tolower(static_cast<unsigned char>(*P)) !=
                             std::tolower(static_cast<unsigned char>(*S)))
            return false;
    }
    return !*S;
}

std::vector<std::string> Split(const std::string& S, char D) {
    std::vector<std::string> Out;
    std::size_t P = 0;
    for (;;) {
        std::size_t E = S.find(D, P);
        Out.push_back(S.substr(P, E == std::string::npos ? std::string::npos : E - P));
        if (E == std::string::npos) break;
        P = E + 1;
    }
    return Out;
}

template <class T> T* Find(TForm* F, const char* Name) {
    auto* C = dynamic_cast<T*>(F->FindComponent(Name));
    if (!C) throw EComponentError(std::string("The file dialog resource lacks ") + Name);
    return C;
}
} // namespace

bool TOpenDialog::MatchesMask(const std::string& Name, const std::string& Patterns) {
    for (const std::string& P : Split(Patterns, ';'))
        if (P == "*.*" || WildMatch(P.c_str(), Name.c_str())) return true;
    return false;
}

TFileDialogForm::TFileDialogForm(TComponent* AOwner) : TForm(AOwner) {
    if (!InitComponentFromResource(this))
        throw EComponentError("Resource TFileDialogForm not found");
}

TOpenDialog::TOpenDialog(TComponent* AOwner) : TComponent(AOwner) {}

bool TOpenDialog::Execute() {
    auto F = std::make_unique<TFileDialogForm>(nullptr);
    F->SetCaption(!Title_.empty() ? Title_ : Saving_ ? "Save As" : "Open");
    auto* Folder = Find<TLabel>(F.get(), "FolderLabel");
    auto* Files = Find<TListBox>(F.get(), "Files");
    auto* Name = Find<TEdit>(F.get(), "FileName");
    auto* Types = Find<TComboBox>(F.get(), "Filter");
    auto* Ok = Find<TButton>(F.get(), "OkButton");
    if (Saving_) Ok->SetCaption("&Save");

    std::vector<std::string> Parts = Split(Filter_, '|');
    std::vector<std::string> Masks;
    for (std::size_t I = 0; I + 1 < Parts.size(); I += 2) {
        Types->Items()->Add(Parts[I]);
        Masks.push_back(Parts[I + 1]);
    }
    if (Masks.empty()) {
        Types->Items()->Add("All files (*.*)");
        Masks.push_back("*.*");
    }
    Types->SetItemIndex(std::clamp(FilterIndex_ - 1, 0, static_cast<int>(Masks.size()) - 1));

    std::error_code Ec;
    fs::path Dir = !InitialDir_.empty() ? fs::path(InitialDir_)
                   : !FileName_.empty() && fs::path(FileName_).has_parent_path()
                       ? fs::path(FileName_).parent_path()
                       : fs::current_path(Ec);
    if (!FileName_.empty()) Name->SetText(fs::path(FileName_).filename().string());

    // Folders first (with a trailing slash), then the files the filter lets through.
    auto Fill = [&] {
        Folder->SetCaption(Dir.string());
        Files->Items()->BeginUpdate();
        Files->Items()->Clear();
        if (Dir.has_parent_path() && Dir != Dir.root_path()) Files->Items()->Add("../");
        std::vector<std::string> Dirs, Plain;
        std::string Mask = Masks[static_cast<std::size_t>(std::max(0, Types->ItemIndex()))];
        for (fs::directory_iterator It(Dir, fs::directory_options::skip_permission_denied, Ec), End;
             !Ec && It != End; It.increment(Ec)) {
            std::string N = It->path().filename().string();
            if (It->is_directory(Ec))
                Dirs.push_back(N + "/");
            else if (MatchesMask(N, Mask))
                Plain.push_back(N);
        }
        std::sort(Dirs.begin(), Dirs.end());
        std::sort(Plain.begin(), Plain.end());
        for (auto& D : Dirs)
            Files->Items()->Add(D);
        for (auto& P : Plain)
            Files->Items()->Add(P);
        Files->Items()->EndUpdate();
    };
    Fill();
    Types->OnChange = [&](TObject*) { Fill(); };
    auto Enter = [&](const std::string& Entry) {
        if (Entry == "../")
            Dir = Dir.parent_path();
        else
            Dir /= Entry.substr(0, Entry.size() - 1);
        Fill();
    };
    Files->OnClick = [&](TObject*) {
        int I = Files->ItemIndex();
        if (I >= 0 && Files->Items()->Strings(I).back() != '/')
            Name->SetText(Files->Items()->Strings(I));
    };
    Files->OnDblClick = [&](TObject*) {
        int I = Files->ItemIndex();
        if (I < 0) return;
        std::string E = Files->Items()->Strings(I);
        if (E.back() == '/')
            Enter(E);
        else
            Ok->Click();
    };

    std::string Result;
    Ok->OnClick = [&](TObject*) {
        std::string N = Name->Text();
        if (N.empty()) {
            int I = Files->ItemIndex();
            if (I >= 0 && Files->Items()->Strings(I).back() == '/')
                Enter(Files->Items()->Strings(I));
            return;
        }
        fs::path P = fs::path(N).is_absolute() ? fs::path(N) : Dir / N;
        if (fs::is_directory(P, Ec)) {
            Dir = P;
            Name->SetText("");
            Fill();
            return;
        }
        if (!P.has_extension() && !DefaultExt_.empty()) {
            std::string Ext = DefaultExt_[0] == '.' ? DefaultExt_ : "." + DefaultExt_;
            P += Ext;
        }
        if (Options_.Contains(ofPathMustExist) && !fs::is_directory(P.parent_path(), Ec)) {
            MessageDlg(P.parent_path().string() + "\nPath does not exist.", mtWarning, {mbOK});
            return;
        }
        if (Options_.Contains(ofFileMustExist) && !fs::exists(P, Ec)) {
            MessageDlg(P.string() + "\nFile not found.", mtWarning, {mbOK});
            return;
        }
        if (Saving_ && Options_.Contains(ofOverwritePrompt) && fs::exists(P, Ec)) {
            std::string Q = DialogStrings::SOverwriteFileQuestion;
            Q.replace(Q.find("%s"), 2, P.string());
            if (MessageDlg(Q, mtWarning, {mbYes, mbNo}) != mrYes) return;
        }
        Result = P.string();
        F->SetModalResult(mrOk);
    };
    F->SetActiveControl(Name);
    if (ExecuteDialog(F.get()) != mrOk || Result.empty()) return false;
    FileName_ = Result;
    FilterIndex_ = Types->ItemIndex() + 1;
    return true;
}

QEL_IMPLEMENT_CLASS(TFileDialogForm, TForm, NoProperties<TFileDialogForm>)

QEL_IMPLEMENT_CLASS(TOpenDialog, TComponent, [](TClassBuilder<TOpenDialog>& B) {
    using T = TOpenDialog;
    B.String("DefaultExt", &T::DefaultExt, &T::SetDefaultExt);
    B.String("FileName", &T::FileName, &T::SetFileName);
    B.String("Filter", &T::Filter, &T::SetFilter);
    B.Integer("FilterIndex", &T::FilterIndex, &T::SetFilterIndex).SetDefault(1);
    B.String("InitialDir", &T::InitialDir, &T::SetInitialDir);
    B.Set<TOpenOption>("Options", &T::Options, &T::SetOptions).SetDefault(0);
    B.String("Title", &T::Title, &T::SetTitle);
})

QEL_IMPLEMENT_CLASS(TSaveDialog, TOpenDialog, NoProperties<TSaveDialog>)

} // namespace qel
