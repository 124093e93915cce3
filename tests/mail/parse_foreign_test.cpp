// Mails written by another mail program (Python's email package, built in the set-up) parse
// into the right fields and byte-identical attachments; the command-line parser prints the
// same result as JSON.
#include "mail/QELMimeParse.h"

#include <cstdio>
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
import sys, os, binascii, random
from email.message import EmailMessage
from email import policy
out = sys.argv[1]
rnd = random.Random(7)
def blob(n): return bytes(rnd.getrandbits(8) for _ in range(n))
def save(name, msg, atts):
    # Stored as a POP3 server sends it: dot-stuffed.
    raw = msg.as_bytes(policy=policy.SMTP)
    raw = b'\r\n'.join(b'.' + l if l.startswith(b'.') else l for l in raw.split(b'\r\n'))
    with open(os.path.join(out, name + '.eml'), 'wb') as f:
        f.write(raw)
    for i, (fn, data) in enumerate(atts):
        with open(os.path.join(out, '%s.%d.bin' % (name, i)), 'wb') as f: f.write(data)
    with open(os.path.join(out, name + '.names'), 'w') as f:
        f.write('\n'.join(fn for fn, _ in atts))

# Text with two binary attachments of awkward sizes.
m = EmailMessage()
m['From'] = 'Ann Example <ann@example.test>'
m['To'] = 'bob@example.test'
m['Subject'] = 'Two files'
m['Message-ID'] = '<m1@example.test>'
m.set_content('Hello Bob,\n.leading dot\nbye\n')
a = [('data.bin', blob(1000)), ('empty.dat', b''), ('odd.bin', blob(58))]
for fn, d in a: m.add_attachment(d, maintype='application', subtype='octet-stream', filename=fn)
save('mixed', m, a)

# Plain text and HTML alternatives.
m = EmailMessage()
m['From'] = 'carl@example.test'
m['To'] = 'Dana <dana@example.test>, Eve <eve@example.test>'
m['Subject'] = 'Newsletter: May/June'
m.set_content('plain version\n')
m.add_alternative('<p>html version</p>\n', subtype='html')
save('alternative', m, [])

# A nested structure: the outer attachment still comes out whole.
m = EmailMessage()
m['From'] = 'fay@example.test'
m['To'] = 'bob@example.test'
m['Subject'] = 'nested'
m.set_content('outer text\n')
m.add_alternative('<b>rich</b>\n', subtype='html')
m.make_mixed()
img = blob(3000)
m.add_attachment(img, maintype='image', subtype='png', filename='pic.png')
save('nested', m, [('pic.png', img)])

# A plain-text mail carrying a uuencoded block, as older programs sent files.
data = blob(200)
uu = b''.join(binascii.b2a_uu(data[i:i + 45]) for i in range(0, len(data), 45))
body = 'See file:\nbegin 644 old.bin\n' + uu.decode() + '`\nend\nregards\n'
m = EmailMessage()
m['From'] = 'gil@example.test'
m['To'] = 'bob@example.test'
m['Subject'] = 'uu'
m.set_content(body, cte='7bit')
save('uu', m, [('old.bin', data)])
)PY";

std::string ReadFile(const fs::path& P) {
    std::ifstream In(P, std::ios::binary);
    std::ostringstream S;
    S << In.rdbuf();
    return S.str();
}

class ParseForeign : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        Dir_ = fs::temp_directory_path() / ("qel-parse-foreign-" + std::to_string(getpid()));
        fs::create_directories(Dir_);
        std::ofstream(Dir_ / "gen.py") << kGenerator;
        std::string Cmd = "/usr/bin/python3 " + (Dir_ / "gen.py").string() + " " + Dir_.string();
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
    static void ExpectAttachments(const std::string& Name, const TQELParsedMessage& M) {
        std::istringstream Names(ReadFile(Dir_ / (Name + ".names")));
        std::string FileName;
        std::size_t I = 0;
        for (; std::getline(Names, FileName); ++I) {
            ASSERT_LT(I, M.Attachments.size()) << Name;
            EXPECT_EQ(M.Attachments[I].FileName, FileName) << Name;
            EXPECT_EQ(M.Attachments[I].Content,
                      ReadFile(Dir_ / (Name + "." + std::to_string(I) + ".bin")))
                << Name << " " << FileName;
        }
    }

    static inline fs::path Dir_;
    static inline bool Generated_ = false;
};

} // namespace

TEST_F(ParseForeign, MixedTextAndBinaryAttachments) {
    auto M = Parse("mixed");
    EXPECT_EQ(M.FromMail, "ann@example.test");
    EXPECT_EQ(M.FromName, "Ann Example ");
    EXPECT_EQ(M.SendTo, "bob@example.test");
    EXPECT_EQ(M.Subject, "Two files");
    EXPECT_EQ(M.MessageId, "<m1@example.test>");
    EXPECT_EQ(M.Message, (TMimeLines{"Hello Bob,", ".leading dot", "bye", ""}));
    ASSERT_EQ(M.Attachments.size(), 3u);
    ExpectAttachments("mixed", M);
}

TEST_F(ParseForeign, AlternativeHtmlBecomesAttachmentNamedBySubject) {
    auto M = Parse("alternative");
    EXPECT_EQ(M.SendTo, "dana@example.test");
    EXPECT_EQ(M.Message, (TMimeLines{"plain version", ""}));
    ASSERT_EQ(M.Attachments.size(), 1u);
    EXPECT_EQ(M.Attachments[0].FileName, "Newsletter MayJune.html");
    EXPECT_EQ(M.Attachments[0].Content, "<p>html version</p>\r\n");
}

TEST_F(ParseForeign, NestedMultipartKeepsOuterAttachmentIntact) {
    auto M = Parse("nested");
    ASSERT_EQ(M.Attachments.size(), 1u);
    ExpectAttachments("nested", M);
}

TEST_F(ParseForeign, UuencodedBlockInPlainText) {
    auto M = Parse("uu");
    ASSERT_EQ(M.Attachments.size(), 1u);
    ExpectAttachments("uu", M);
    EXPECT_EQ(M.Message, (TMimeLines{"See file:", "end", "regards"}));
}

TEST_F(ParseForeign, CommandLineParserPrintsJson) {
    const fs::path Tool = fs::path(QEL_BINARY_DIR) / "bin" / "qel-mail";
    ASSERT_TRUE(fs::exists(Tool)) << "build the qel-mail target first";
    const char* Check = R"PY(
import json, sys, hashlib, os
d = sys.argv[1]
r = json.loads(open(os.path.join(d, 'out.json')).read())
names = open(os.path.join(d, 'mixed.names')).read().split('\n')
assert r['subject'] == 'Two files', r
assert r['from_mail'] == 'ann@example.test', r
assert r['text'] == 'Hello Bob,\n.leading dot\nbye\n', repr(r['text'])
assert [a['file_name'] for a in r['attachments']] == names, r
for i, a in enumerate(r['attachments']):
    data = open(os.path.join(d, 'mixed.%d.bin' % i), 'rb').read()
    assert a['size'] == len(data) and a['sha256'] == hashlib.sha256(data).hexdigest(), a
    assert open(os.path.join(d, 'saved', a['file_name']), 'rb').read() == data
e = json.loads(open(os.path.join(d, 'err.json')).read())
assert e == {'error': 'Message Format Error'}, e
)PY";
    std::ofstream(Dir_ / "check.py") << Check;
    std::ofstream(Dir_ / "bad.eml", std::ios::binary)
        << "Subject: x\r\nContent-Type: multipart/mixed\r\n\r\nxx\r\n";
    std::string D = Dir_.string();
    EXPECT_EQ(std::system((Tool.string() + " parse " + D + "/mixed.eml --json --save " + D +
                           "/saved > " + D + "/out.json")
                              .c_str()),
              0);
    EXPECT_NE(std::system(
                  (Tool.string() + " parse " + D + "/bad.eml --json > " + D + "/err.json").c_str()),
              0);
    EXPECT_EQ(std::system(("/usr/bin/python3 " + D + "/check.py " + D).c_str()), 0);
}
