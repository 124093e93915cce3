// Mails shaped like those real people send, written by Python's email package at test time:
// HTML with inline images, quoted-printable and base64 text, encoded words, RFC 2231 file
// names, other charsets, a lone binary part, headers only. Each parses to the text, names and
// attachment bytes Python itself reads from it.
#include "mail/QELMailDate.h"
#include "mail/QELMimeParse.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <unistd.h>

using namespace qel;
namespace fs = std::filesystem;

namespace {

const char* kGenerator = R"PY(
import sys, os, random
from email.message import EmailMessage
from email import policy
from email.headerregistry import Address
out = sys.argv[1]
rnd = random.Random(23)
def blob(n): return bytes(rnd.getrandbits(8) for _ in range(n))

def plain_of(msg):
    part = msg.get_body(preferencelist=('plain',))
    return part.get_content().replace('\r\n', '\n') if part is not None else ''

def files_of(msg):
    r = []
    for p in msg.walk():
        if p.is_multipart(): continue
        fn = p.get_filename()
        if fn: r.append((fn, p.get_payload(decode=True)))
    return r

def save(name, raw):
    # As a POP3 server sends it: dot-stuffed CR LF lines.
    raw = raw.replace(b'\r\n', b'\n').replace(b'\n', b'\r\n')
    raw = b'\r\n'.join(b'.' + l if l.startswith(b'.') else l for l in raw.split(b'\r\n'))
    with open(os.path.join(out, name + '.eml'), 'wb') as f: f.write(raw)
    from email import message_from_bytes
    m = message_from_bytes(raw.replace(b'\r\n..', b'\r\n.'), policy=policy.default)
    w = lambda ext, s: open(os.path.join(out, name + ext), 'w', encoding='utf-8').write(s)
    w('.subject', str(m['subject'] or ''))
    frm = m['from']
    w('.fromname', frm.addresses[0].display_name if frm is not None and frm.addresses else '')
    w('.text', plain_of(m) if m.get_content_maintype() in ('multipart', 'text') else '')
    files = files_of(m)
    w('.names', '\n'.join(fn for fn, _ in files))
    for i, (fn, data) in enumerate(files):
        open(os.path.join(out, '%s.%d.bin' % (name, i)), 'wb').write(data)

def sender(m, name):
    m['From'] = Address(name, 'sender', 'example.test')
    m['To'] = 'bob@example.test'

# HTML with inline images inside related, plain and HTML as alternatives.
m = EmailMessage(); sender(m, 'Zoë Ångström')
m['Subject'] = 'Grüße mit Bildern – äöü ß'
m.set_content('Hallo Bob,\nschöne Grüße aus Köln.\n')
m.add_alternative('<p>Hallo <img src="cid:img1"></p>\n', subtype='html')
html = m.get_payload()[1]
html.add_related(blob(2000), 'image', 'png', cid='<img1>', filename='image001.png')
html.add_related(blob(500), 'image', 'gif', cid='<img2>', filename='logo.gif')
save('html_inline', m.as_bytes(policy=policy.SMTP))

# Quoted-printable UTF-8 text with long lines and a soft break, a plain attachment.
m = EmailMessage(); sender(m, 'Jürgen Müller')
m['Subject'] = ('Über den Wolken ' + 'muss die Freiheit wohl grenzenlos sein ' * 3).strip()
m.set_content('Überschrift\n' + 'ä' * 120 + '\n.punkt\nEnde\n', cte='quoted-printable')
m.add_attachment(blob(777), maintype='application', subtype='octet-stream', filename='data.bin')
save('qp_utf8', m.as_bytes(policy=policy.SMTP))

# Text in ISO-8859-1, quoted-printable, and in base64.
m = EmailMessage(); sender(m, 'Anaïs')
m['Subject'] = 'Café'
m.set_content('Déjà vu, naïve café.\n', charset='iso-8859-1', cte='quoted-printable')
save('latin1', m.as_bytes(policy=policy.SMTP))
m = EmailMessage(); sender(m, 'Plain Name')
m['Subject'] = 'base64 text'
m.set_content('Dieser Text ist base64: äöü\nzweite Zeile\n', cte='base64')
save('base64_text', m.as_bytes(policy=policy.SMTP))

# RFC 2231 names, one of them long enough for continuations.
m = EmailMessage(); sender(m, 'Ann')
m['Subject'] = 'files'
m.set_content('two files\n')
m.add_attachment(blob(300), maintype='application', subtype='pdf', filename='Überweisung März.pdf')
m.add_attachment(blob(10), maintype='application', subtype='octet-stream',
                 filename='Протокол заседания совета директоров от декабря 2026 года.docx')
save('rfc2231', m.as_bytes(policy=policy.SMTP))

# A mail that is one binary part, no multipart around it.
m = EmailMessage(); sender(m, 'Scanner')
m['Subject'] = 'scan'
m.set_content(blob(1500), maintype='application', subtype='pdf', filename='scan.pdf')
save('lone_binary', m.as_bytes(policy=policy.SMTP))

# Headers only, no empty line, no body.
save('headers_only', b'From: Robot <robot@example.test>\r\nTo: bob@example.test\r\nSubject: ping\r\n')

# Parameters as other programs write them: unquoted, followed by more parameters, folded.
data1, data2 = blob(40), blob(67)
import base64
raw = ('From: other@example.test\r\nTo: bob@example.test\r\nSubject: params\r\n'
       'MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=XyZ; charset=us-ascii\r\n\r\n'
       '--XyZ\r\nContent-Type: text/plain\r\n\r\nsee files\r\n'
       '--XyZ\r\nContent-Type: application/octet-stream\r\nContent-Transfer-Encoding: base64\r\n'
       'Content-Disposition: attachment; filename=unquoted.bin\r\n\r\n'
       + base64.b64encode(data1).decode() + '\r\n'
       '--XyZ\r\nContent-Type: image/png;\r\n\tname="image001.png"\r\nContent-Transfer-Encoding: base64\r\n'
       'Content-Disposition: inline;\r\n filename="image001.png"; size=67;\r\n'
       ' creation-date="Tue, 08 Dec 2026 10:00:00 GMT"\r\n\r\n'
       + base64.b64encode(data2).decode() + '\r\n--XyZ--\r\n')
save('params', raw.encode())
)PY";

std::string ReadFile(const fs::path& P) {
    std::ifstream In(P, std::ios::binary);
    std::ostringstream S;
    S << In.rdbuf();
    return S.str();
}

std::string TrimEnd(std::string S, const char* Chars = "\r\n") {
    S.erase(S.find_last_not_of(Chars) + 1);
    return S;
}

std::string Trim(const std::string& S) {
    const std::size_t B = S.find_first_not_of(' ');
    return B == std::string::npos ? std::string() : TrimEnd(S.substr(B), " ");
}

class ParseRealWorld : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        Dir_ = fs::temp_directory_path() / ("qel-parse-real-" + std::to_string(getpid()));
        fs::create_directories(Dir_);
        std::ofstream(Dir_ / "gen.py") << kGenerator;
        const std::string Cmd =
            "/usr/bin/python3 " + (Dir_ / "gen.py").string() + " " + Dir_.string();
        Generated_ = std::system(Cmd.c_str()) == 0;
    }
    static void TearDownTestSuite() { fs::remove_all(Dir_); }
    void SetUp() override { ASSERT_TRUE(Generated_) << "the Python set-up failed"; }

    static TQELParsedMessage Parse(const std::string& Name) {
        TQELMimeParser P;
        TQELParsedMessage M;
        P.Parse(SplitMailLines(ReadFile(Dir_ / (Name + ".eml"))), M);
        return M;
    }
    // Subject, sender name, text and every file with its bytes, as Python read them.
    static void ExpectAsPython(const std::string& Name, const TQELParsedMessage& M) {
        EXPECT_EQ(M.Subject, ReadFile(Dir_ / (Name + ".subject"))) << Name;
        // Without a display name the sender's address stands in for it.
        const std::string WantName = ReadFile(Dir_ / (Name + ".fromname"));
        EXPECT_EQ(Trim(M.FromName), WantName.empty() ? M.FromMail : WantName) << Name;
        std::string Text;
        for (std::size_t I = 0; I < M.Message.size(); ++I)
            Text += (I ? "\n" : "") + M.Message[I];
        EXPECT_EQ(TrimEnd(Text), TrimEnd(ReadFile(Dir_ / (Name + ".text")))) << Name;
        std::istringstream Names(ReadFile(Dir_ / (Name + ".names")));
        std::string FileName;
        std::size_t I = 0;
        for (; std::getline(Names, FileName); ++I) {
            ASSERT_LT(I, M.Attachments.size()) << Name << " " << FileName;
            EXPECT_EQ(M.Attachments[I].FileName, FileName) << Name;
            EXPECT_TRUE(M.Attachments[I].Content ==
                        ReadFile(Dir_ / (Name + "." + std::to_string(I) + ".bin")))
                << Name << " " << FileName;
        }
        EXPECT_EQ(M.Attachments.size(), I) << Name;
    }

    static inline fs::path Dir_;
    static inline bool Generated_ = false;
};

} // namespace

TEST_F(ParseRealWorld, HtmlWithInlineImagesGivesPlainTextAndTheImages) {
    auto M = Parse("html_inline");
    ExpectAsPython("html_inline", M);
    ASSERT_EQ(M.Attachments.size(), 2u);
    EXPECT_EQ(M.Attachments[0].FileName, "image001.png");
    EXPECT_EQ(M.Message.at(1), "sch\u00f6ne Gr\u00fc\u00dfe aus K\u00f6ln.");
}

TEST_F(ParseRealWorld, QuotedPrintableAndBase64TextAreDecoded) {
    for (const char* Name : {"qp_utf8", "base64_text"}) {
        auto M = Parse(Name);
        ExpectAsPython(Name, M);
    }
    auto M = Parse("qp_utf8");
    std::string Umlauts;
    for (int I = 0; I < 120; ++I)
        Umlauts += "\u00e4";
    EXPECT_EQ(M.Message.at(1), Umlauts); // one line again across the soft breaks
    EXPECT_EQ(M.Message.at(2), ".punkt");
}

TEST_F(ParseRealWorld, OtherCharsetsBecomeUtf8) {
    auto M = Parse("latin1");
    ExpectAsPython("latin1", M);
    EXPECT_EQ(M.Message.at(0), "D\u00e9j\u00e0 vu, na\u00efve caf\u00e9.");
}

TEST_F(ParseRealWorld, Rfc2231AndBadlyWrittenParametersNameTheFiles) {
    ExpectAsPython("rfc2231", Parse("rfc2231"));
    auto M = Parse("params");
    ExpectAsPython("params", M);
    ASSERT_EQ(M.Attachments.size(), 2u);
    EXPECT_EQ(M.Attachments[0].FileName, "unquoted.bin");
    EXPECT_EQ(M.Attachments[1].FileName, "image001.png");
}

TEST_F(ParseRealWorld, LoneBinaryPartAndHeadersOnlyParse) {
    auto L = Parse("lone_binary");
    ExpectAsPython("lone_binary", L);
    EXPECT_TRUE(L.ParseError.empty());
    auto H = Parse("headers_only");
    ExpectAsPython("headers_only", H);
    EXPECT_EQ(H.FromMail, "robot@example.test");
    EXPECT_TRUE(H.Message.empty());
}

TEST(MailDate, InternetAndOldLocalFormsAreRead) {
    std::time_t W = 0;
    ASSERT_TRUE(maildate::ParseMailDate("Tue, 08 Dec 2026 20:30:47 +0100", W));
    EXPECT_EQ(W, 1796758247);
    ASSERT_TRUE(maildate::ParseMailDate("8 Dec 2026 19:30:47 GMT (comment)", W));
    EXPECT_EQ(W, 1796758247);
    ASSERT_TRUE(maildate::ParseMailDate("Tue, 8 Dec 26 14:30:47 EST", W));
    EXPECT_EQ(W, 1796758247);
    // What earlier versions wrote: local time without a zone.
    std::time_t Local = 0;
    ASSERT_TRUE(maildate::ParseMailDate("Tuesday, December 8, 2026, 8:30:47 PM", Local));
    std::tm T{};
    localtime_r(&Local, &T);
    EXPECT_EQ(T.tm_hour, 20);
    EXPECT_EQ(T.tm_mday, 8);
    // Written and read back.
    ASSERT_TRUE(maildate::ParseMailDate(maildate::InternetDate(W), Local));
    EXPECT_EQ(Local, W);
    for (const char* Bad : {"", "yesterday", "32 Dec 2026 10:00", "Tue, 08 Foo 2026 10:00:00",
                            "8 Dec 2026 25:00:00 +0000"})
        EXPECT_FALSE(maildate::ParseMailDate(Bad, W)) << Bad;
}
