// CIniFile: the text format, typed reads, line-number reads, in-place writes with their
// byte-exact results, Save, and bad input (files, arguments, names, huge lines).
#include <cfloat>
#include <climits>
#include <cstring>
#include <memory>
#include <vector>

#include "support/Encodings.h"
#include "support/EngineTest.h"

namespace {

// Owns a heap string returned by the class.
std::string Take(char* text) {
    std::unique_ptr<char[]> owned(text);
    return owned ? std::string(owned.get()) : std::string("<null>");
}

class IniTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        std::remove("ini_log.html");
        m_log = std::make_unique<CLog>("ini_log.html", false);
        VelmoraTest::SetEngineLog(m_log.get());
    }
    void TearDown() override {
        VelmoraTest::SetEngineLog(nullptr);
        m_log.reset();
        VelmoraTest::TakeMessageBoxes();
        EngineTest::TearDown();
    }

    // An object opened on a file holding exactly `text`.
    std::unique_ptr<CIniFile> Load(const std::string& text) {
        WriteFile("t.ini", text);
        auto ini = std::make_unique<CIniFile>();
        EXPECT_TRUE(ini->Open("t.ini"));
        return ini;
    }
    // The object's text, as Save writes it.
    static std::string Text(CIniFile& ini) {
        EXPECT_TRUE(ini.Save("saved.ini"));
        return ReadFile("saved.ini");
    }
    static bool Logged(const std::string& line) { return ReadFile("ini_log.html").find(line) != std::string::npos; }

    std::unique_ptr<CLog> m_log;
};

// --- Text format ---------------------------------------------------------------------

TEST_F(IniTest, ReadStringFollowsTheLineFormat) {
    auto ini = Load(
        "[A]\r\nx = 5 ; five\r\n  y=6\r\nz=abc//c\r\nw=a]b\r\nt=\t v \t\r\nnokey;x=1\r\n;c=1\r\ne=\r\nx=second\r\n"
        "[ A ]\r\nq=1\r\n"
        "[A]\r\nonlyInSecond=1\r\n"
        "[B]\r\nk=in B\r\n"
        "[L]\nk=v\n"
        "[\x81\x5d]\r\n\xC3\xFB=\xB2\xE2\xCA\xD4\r\n"
        "x[C]=1\r\n"
        "[End]\r\nlast=9");
    struct Case {
        const char* section;
        const char* key;
        const char* expected;  // null: not found
    } cases[] = {
        {"A", "x", "5"},          // blanks and the comment cut; the first line wins
        {"A", "y", nullptr},      // an indented line never matches
        {"A", "z", "abc"},        // "//" starts a comment
        {"A", "w", "a"},          // "]" ends a value
        {"A", "t", "v"},          // tabs trimmed too
        {"A", "nokey", nullptr},  // a line whose name ends without "=" is no data line
        {"A", ";c", nullptr},     // comment line
        {"A", "", nullptr},
        {"A", "e", ""},       // found, empty
        {"A", "X", nullptr},  // keys are case-sensitive
        {"A", "q", nullptr},  // "[ A ]" is another section
        {" A ", "q", "1"},
        {"A", "onlyInSecond", nullptr},  // of two same-named sections only the first is read
        {"B", "k", "in B"},
        {"L", "k", "v"},                               // a bare LF ends the line as CR LF does
        {"\x81\x5d", "\xC3\xFB", "\xB2\xE2\xCA\xD4"},  // GBK whose trail byte is "]"
        {"C", "x", nullptr},                           // "[" inside a line starts no section
        {"End", "last", "9"},                          // last line without a line break
        {"Missing", "x", nullptr},
    };
    for (const Case& c : cases) {
        std::string expected = c.expected ? c.expected : "<null>";
        EXPECT_EQ(Take(ini->ReadString(c.section, c.key)), expected) << c.section << "." << c.key;
        EXPECT_EQ(ini->IsReadSucceed(), c.expected ? 1 : 0) << c.section << "." << c.key;
    }
    EXPECT_EQ(ini->ReadInt("A", "x", -1), 5);
}

TEST_F(IniTest, SectionsAreListedInFileOrder) {
    auto ini = Load("; top\r\n[One]\r\na=[x]\r\n [NotOne]\r\n[Two]junk\r\n[Three=3]\r\n[]\r\n[");
    EXPECT_EQ(ini->GetIndexNum(), 5);
    const char* names[] = {"One", "Two", "Three", "", ""};
    char buffer[CIniFile::MAX_BUFFER];
    for (int n = 0; n < 5; ++n) {
        EXPECT_EQ(ini->GetIndex(n, buffer), buffer);
        EXPECT_STREQ(buffer, names[n]) << n;
    }
    for (int n : {-1, 5}) {
        std::strcpy(buffer, "stale");
        EXPECT_EQ(ini->GetIndex(n, buffer), nullptr);
        EXPECT_STREQ(buffer, "");
    }
    EXPECT_TRUE(Logged("IndexNum is out of range, [CIniFile::GetIndex] !"));
    CIniFile empty;
    EXPECT_EQ(empty.GetIndexNum(), 0);
    EXPECT_EQ(empty.GetIndex(0, buffer), nullptr);
}

// --- Typed reads ---------------------------------------------------------------------

TEST_F(IniTest, ScalarReadsParseTheirSyntax) {
    auto ini = Load(
        "[N]\r\ni1=42\r\ni2=-7\r\ni3=12abc\r\ni4=abc\r\ni5=99999999999\r\ni6=-99999999999\r\n"
        "d1=0xFFFFFFFF\r\nd2=255\r\nd3=010\r\nd4=0x1FFFFFFFF\r\nd5=-1\r\nd6=zz\r\nd7=0Xff\r\n"
        "f1=1.5\r\nf2=-2.25e1\r\nf3=x\r\n"
        "b1=FALSE\r\nb2=False\r\nb3=0\r\nb4=no\r\nb5=off\r\nb6=00\r\nb7=\r\nb8=false;\r\n");
    struct IntCase {
        const char* key;
        int expected;
    } ints[] = {{"i1", 42}, {"i2", -7}, {"i3", 12}, {"i4", 0}, {"i5", INT_MAX}, {"i6", INT_MIN}};
    for (const IntCase& c : ints) EXPECT_EQ(ini->ReadInt("N", c.key, -1), c.expected) << c.key;

    struct DwordCase {
        const char* key;
        DWORD expected;
    } dwords[] = {{"d1", 4294967295u}, {"d2", 255}, {"d3", 8},  {"d4", 0xFFFFFFFFu},
                  {"d5", 0xFFFFFFFFu}, {"d6", 0},   {"d7", 255}};
    for (const DwordCase& c : dwords) EXPECT_EQ(ini->ReadDWORD("N", c.key, 7), c.expected) << c.key;

    EXPECT_FLOAT_EQ(ini->ReadFloat("N", "f1", 0), 1.5f);
    EXPECT_FLOAT_EQ(ini->ReadFloat("N", "f2", 0), -22.5f);
    EXPECT_FLOAT_EQ(ini->ReadFloat("N", "f3", 9), 0.0f);

    const char* falses[] = {"b1", "b2", "b3", "b8"};
    for (const char* key : falses) EXPECT_FALSE(ini->ReadBOOL("N", key, true)) << key;
    const char* trues[] = {"b4", "b5", "b6", "b7"};
    for (const char* key : trues) EXPECT_TRUE(ini->ReadBOOL("N", key, false)) << key;

    // Missing keys give the default and clear the read flag.
    EXPECT_EQ(ini->ReadInt("N", "none", -3), -3);
    EXPECT_EQ(ini->IsReadSucceed(), 0);
    EXPECT_EQ(ini->ReadDWORD("N", "none", 77u), 77u);
    EXPECT_FLOAT_EQ(ini->ReadFloat("N", "none", 2.5f), 2.5f);
    EXPECT_TRUE(ini->ReadBOOL("N", "none", true));
    EXPECT_EQ(ini->IsReadSucceed(), 0);
    EXPECT_EQ(ini->ReadInt("N", "i1", -1), 42);
    EXPECT_EQ(ini->IsReadSucceed(), 1);
}

TEST_F(IniTest, CompoundReadsSkipOneSeparator) {
    auto ini = Load(
        "[P]\r\np1=10,20\r\np2=10 20\r\np3=10, 20\r\np4=7\r\np5=7,\r\n"
        "r1=1,2,3,4\r\nr2=-1 -2\r\n"
        "v1=1.5,-2\r\nv2=3\r\nv3=0.5,1.5,2.5\r\nv4=1;2\r\n");
    struct PointCase {
        const char* key;
        LONG x, y;
    } points[] = {{"p1", 10, 20}, {"p2", 10, 20}, {"p3", 10, 20}, {"p4", 7, 0}, {"p5", 7, 0}, {"none", 0, 0}};
    for (const PointCase& c : points) {
        POINT p = ini->ReadPoint("P", c.key);
        EXPECT_EQ(GPoint(p), GPoint(c.x, c.y)) << c.key;
        EXPECT_EQ(ini->IsReadSucceed(), std::strcmp(c.key, "none") ? 1 : 0) << c.key;
    }
    EXPECT_EQ(GRect(ini->ReadRect("P", "r1")), GRect(1, 2, 3, 4));
    EXPECT_EQ(GRect(ini->ReadRect("P", "r2")), GRect(-1, -2, 0, 0));
    EXPECT_EQ(GRect(ini->ReadRect("P", "none")), GRect(0, 0, 0, 0));

    const Vec2D def2{9, 9};
    const Vec3D def3{9, 9, 9};
    Vec2D v = ini->ReadVec2D("P", "v1", def2);
    EXPECT_EQ(Vector2D(v.x, v.y), Vector2D(1.5f, -2.0f));
    v = ini->ReadVec2D("P", "v2", def2);
    EXPECT_EQ(Vector2D(v.x, v.y), Vector2D(3.0f, 0.0f));
    v = ini->ReadVec2D("P", "v4", def2);  // the comment cuts the value to "1"
    EXPECT_EQ(Vector2D(v.x, v.y), Vector2D(1.0f, 0.0f));
    v = ini->ReadVec2D("P", "none", def2);
    EXPECT_EQ(Vector2D(v.x, v.y), Vector2D(9.0f, 9.0f));
    Vec3D w = ini->ReadVec3D("P", "v3", def3);
    EXPECT_EQ(std::vector<float>({w.x, w.y, w.z}), std::vector<float>({0.5f, 1.5f, 2.5f}));
    w = ini->ReadVec3D("P", "v1", def3);
    EXPECT_EQ(std::vector<float>({w.x, w.y, w.z}), std::vector<float>({1.5f, -2.0f, 0.0f}));
    w = ini->ReadVec3D("P", "none", def3);
    EXPECT_EQ(std::vector<float>({w.x, w.y, w.z}), std::vector<float>({9.0f, 9.0f, 9.0f}));
}

TEST_F(IniTest, ReadBinaryStaysInsideTheCallersBytes) {
    auto ini = Load("[B]\r\nok=AAPPKB\r\nodd=ABC\r\nempty=\r\nwild=a~\r\n");
    std::vector<unsigned char> three(3);
    EXPECT_EQ(ini->ReadBinary("B", "ok", three.data(), 3), 3);
    EXPECT_EQ(three, std::vector<unsigned char>({0x00, 0xFF, 0x1A}));
    EXPECT_EQ(ini->IsReadSucceed(), 1);

    // A heap block of exactly two bytes: the sanitizer catches any write past it.
    std::vector<unsigned char> two(2);
    EXPECT_EQ(ini->ReadBinary("B", "ok", two.data(), 2), 2);
    EXPECT_EQ(two, std::vector<unsigned char>({0x00, 0xFF}));

    EXPECT_EQ(ini->ReadBinary("B", "wild", three.data(), 3), 1);  // letters are not checked
    EXPECT_EQ(three[0], static_cast<unsigned char>(('a' - 'A') + 16 * ('~' - 'A')));

    for (const char* key : {"odd", "empty"}) {
        EXPECT_EQ(ini->ReadBinary("B", key, three.data(), 3), 0) << key;
        EXPECT_EQ(ini->IsReadSucceed(), 0) << key;
    }
    EXPECT_TRUE(Logged("Read Binary Error in [CIniFile::ReadBinary]"));
    EXPECT_EQ(ini->ReadBinary("B", "none", three.data(), 3), 0);
    EXPECT_EQ(ini->ReadBinary("B", "ok", nullptr, 3), 0);
    EXPECT_EQ(ini->ReadBinary("B", "ok", three.data(), 0), 0);
    EXPECT_EQ(ini->IsReadSucceed(), 0);
    EXPECT_TRUE(Logged("pData==NULL or nBytes==0 in [CIniFile::ReadBinary]"));
}

// --- Buffers and huge lines ----------------------------------------------------------

TEST_F(IniTest, BufferFormsNeverPassTheirBuffer) {
    const std::string big(1 << 20, 'v');
    const std::string gbk = "\xB2\xE2\xCA\xD4";  // two double-byte characters
    auto ini = Load("[" + std::string(300, 's') + "]\r\n[S]\r\nbig=" + big + "\r\ng=" + gbk + "\r\n" +
                    std::string(1 << 20, 'x') + "\r\nafter=1\r\n");
    EXPECT_EQ(Take(ini->ReadString("S", "big")), big);
    EXPECT_EQ(ini->ReadInt("S", "after", 0), 1);  // the huge line without "=" is skipped

    // The forms without a size fill at most MAX_BUFFER bytes (heap blocks of exactly that
    // size, so an overrun would be caught).
    std::vector<char> buffer(CIniFile::MAX_BUFFER);
    EXPECT_EQ(ini->ReadString("S", "big", buffer.data(), "d"), buffer.data());
    EXPECT_EQ(std::string(buffer.data()), big.substr(0, CIniFile::MAX_BUFFER - 1));
    EXPECT_EQ(ini->ReadString("S", 0, buffer.data()), CIniFile::MAX_BUFFER - 1);
    EXPECT_NE(ini->GetIndex(0, buffer.data()), nullptr);
    EXPECT_EQ(std::string(buffer.data()), std::string(CIniFile::MAX_BUFFER - 1, 's'));

    // The sized forms cut to the size, never in the middle of a double-byte character.
    std::vector<char> small(4);
    ini->ReadString("S", "g", small.data(), 4, "");
    EXPECT_EQ(std::string(small.data()), gbk.substr(0, 2));
    EXPECT_EQ(ini->ReadString("S", 1, small.data(), 4), 2);
    ini->ReadString("S", "none", small.data(), 4, "long default");
    EXPECT_EQ(std::string(small.data()), "lon");
    ini->GetIndex(1, small.data(), 4);
    EXPECT_STREQ(small.data(), "S");
    EXPECT_TRUE(Logged("cut to 255, [CIniFile::ReadString]"));

    // A missing key gives the default text; a null default an empty text.
    ini->ReadString("S", "none", buffer.data(), nullptr);
    EXPECT_STREQ(buffer.data(), "");
}

TEST_F(IniTest, NamesValuesAndCutsFollowTheTextEncoding) {
    // The same file in each encoding. In UTF-8 the last byte of 中 read as GBK would pair
    // with the "]" after it and swallow the end of the section name.
    const Chars section{{kCharZhong}};
    const Chars key{{kCharWen, Ascii("k")}};
    const Chars value = Repeat({Ascii("v")}, kCharKao, 5);
    for (TextEncoding encoding : kEncodings) {
        EncodingScope scope(encoding);
        SCOPED_TRACE(NameOf(encoding));
        auto ini = Load("[" + section.In(encoding) + "]\r\n" + key.In(encoding) + "=" + value.In(encoding) +
                        "]x\r\n[B]\r\nk=1\r\n");
        EXPECT_EQ(Take(ini->ReadString(section.In(encoding).c_str(), key.In(encoding).c_str())), value.In(encoding));
        EXPECT_EQ(ini->ReadInt("B", "k", 0), 1);
        for (int size : {2, 5, 8, 9}) {
            std::vector<char> buffer(size_t(size), 'x');
            ini->ReadString(section.In(encoding).c_str(), key.In(encoding).c_str(), buffer.data(), size, "");
            EXPECT_EQ(std::string(buffer.data()), value.Fitting(encoding, size_t(size - 1))) << size;
            ini->ReadString("B", "none", buffer.data(), size, value.In(encoding).c_str());
            EXPECT_EQ(std::string(buffer.data()), value.Fitting(encoding, size_t(size - 1))) << size;
        }
    }
}

// --- Reading by line number ------------------------------------------------------------

TEST_F(IniTest, LineReadsWalkTheBody) {
    auto ini = Load(
        "[S]\r\na=1\r\nb = 2 ;c\r\n\r\nc=3\r\n;d=4\r\nnoequals\r\n[T]\r\nt=1\r\n"
        "[Run]\r\na=1\r\n;b=2\r\nc=3\r\n  d=4\r\ne=5\r\n"
        "[Stops]\r\na=1\r\n//x\r\n"
        "[Stops2]\r\na=1\r\n\xFFx=1\r\n"
        "[Last]\r\nz=9");
    struct Case {
        int line;
        const char* value;  // null: fails
    } cases[] = {{0, "1"}, {1, "2"}, {2, nullptr}, {3, "3"}, {4, "4"}, {5, nullptr}, {6, nullptr}, {100, nullptr}};
    char buffer[CIniFile::MAX_BUFFER];
    for (const Case& c : cases) {
        int length = ini->ReadString("S", c.line, buffer);
        EXPECT_STREQ(buffer, c.value ? c.value : "") << c.line;
        EXPECT_EQ(length, c.value ? static_cast<int>(std::strlen(c.value)) : 0) << c.line;
        EXPECT_EQ(ini->IsReadSucceed(), c.value ? 1 : 0) << c.line;
        EXPECT_EQ(ini->ReadInt("S", c.line, -1), c.value ? std::atoi(c.value) : -1) << c.line;
    }
    EXPECT_EQ(Take(ini->ReadDataName("S", 0)), "a");
    EXPECT_EQ(Take(ini->ReadDataName("S", 1)), "b");
    EXPECT_EQ(Take(ini->ReadDataName("S", 2)), "");
    EXPECT_EQ(Take(ini->ReadDataName("S", 5)), "noequals");
    EXPECT_EQ(Take(ini->ReadDataName("S", 6)), "<null>");
    EXPECT_EQ(Take(ini->ReadDataName("Last", 0)), "z");
    EXPECT_EQ(ini->ReadString("Last", 0, buffer), 1);

    struct RunCase {
        const char* section;
        int count;
    } runs[] = {{"S", 2}, {"Run", 3}, {"Stops", 1}, {"Stops2", 1}, {"Last", 1}, {"T", 1}, {"Missing", 0}};
    for (const RunCase& r : runs) EXPECT_EQ(ini->GetContinueData(r.section), r.count) << r.section;

    // A negative line number is refused and logged.
    EXPECT_EQ(ini->ReadString("S", -1, buffer), 0);
    EXPECT_EQ(Take(ini->ReadDataName("S", -1)), "<null>");
    EXPECT_TRUE(Logged("Invalidate parameter! line -1 of [S]"));
}

TEST_F(IniTest, LfLinesReadAndWriteAsCrLfLinesDo) {
    // Every reader of a file saved with LF lines gives what it gives for the CR LF file, and
    // writes keep each file's own line ends.
    const std::string crlf =
        "; top\r\n[List]\r\nOk=MenuOk\r\nQuit = MenuQuit ; c\r\n\r\nContainer=Win\r\n"
        "[Win]\r\nGUIType=1\r\nID=100\r\nFile=menu.amf\r\nUseRGN=false\r\n  in=1\r\ne=\r\nnokey\r\n"
        "[\xB2\xE2]\r\n\xC3\xFB=\xCA\xD4//c\r\n[Last]\r\nz=9";
    std::string lf;
    for (size_t i = 0; i < crlf.size(); ++i)
        if (!(crlf[i] == '\r' && i + 1 < crlf.size() && crlf[i + 1] == '\n')) lf += crlf[i];
    auto a = Load(crlf);
    WriteFile("lf.ini", lf);
    CIniFile b("lf.ini");
    ASSERT_EQ(b.GetIndexNum(), a->GetIndexNum());
    char na[CIniFile::MAX_BUFFER], nb[CIniFile::MAX_BUFFER], va[CIniFile::MAX_BUFFER], vb[CIniFile::MAX_BUFFER];
    for (int s = 0; s < a->GetIndexNum(); ++s) {
        ASSERT_STREQ(b.GetIndex(s, nb), a->GetIndex(s, na));
        EXPECT_EQ(b.GetContinueData(nb), a->GetContinueData(na)) << na;
        for (int n = 0; n < 10; ++n) {
            EXPECT_EQ(b.ReadString(nb, n, vb), a->ReadString(na, n, va)) << na << n;
            EXPECT_STREQ(vb, va) << na << n;
            const std::string key = Take(a->ReadDataName(na, n));
            EXPECT_EQ(Take(b.ReadDataName(nb, n)), key) << na << n;
            EXPECT_EQ(Take(b.ReadString(nb, key.c_str())), Take(a->ReadString(na, key.c_str()))) << na << key;
        }
    }
    EXPECT_STREQ(b.ReadString("List", "Ok", vb, ""), "MenuOk");
    EXPECT_FALSE(b.ReadBOOL("Win", "UseRGN", true));

    for (CIniFile* ini : {a.get(), &b}) {
        EXPECT_TRUE(ini->WriteString("List", "Ok", "Other"));
        EXPECT_TRUE(ini->WriteInt("Win", "Width", 300));
        EXPECT_TRUE(ini->WriteString("New", "k", "v"));
        EXPECT_TRUE(ini->WriteString("Last", "y", "8"));
    }
    std::string expected;
    for (char c : Text(*a))
        if (c != '\r') expected += c;
    EXPECT_EQ(Text(b), expected);
}

TEST_F(IniTest, ValuesThatAreNotWholeNumbersAreLogged) {
    auto ini = Load(
        "[N]\r\ni=12abc\r\nj=\r\nk=-7\r\nd=0xFFgg\r\ne=0x10\r\nf=1.5f\r\ng=2.5e1\r\n"
        "p=10,,20\r\nq=10 20\r\nr=7\r\ns=0,0,96,32,1\r\nt=1,2,3,4\r\nv=1.5;x\r\nw=1,a\r\n");
    EXPECT_EQ(ini->ReadInt("N", "i", 0), 12);
    EXPECT_EQ(ini->ReadInt("N", "j", 5), 0);
    EXPECT_EQ(ini->ReadInt("N", "k", 0), -7);
    EXPECT_EQ(ini->ReadDWORD("N", "d", 0), 0xFFu);
    EXPECT_EQ(ini->ReadDWORD("N", "e", 0), 16u);
    EXPECT_FLOAT_EQ(ini->ReadFloat("N", "f", 0), 1.5f);
    EXPECT_FLOAT_EQ(ini->ReadFloat("N", "g", 0), 25.0f);
    EXPECT_EQ(GPoint(ini->ReadPoint("N", "p")), GPoint(10, 0));
    EXPECT_EQ(GPoint(ini->ReadPoint("N", "q")), GPoint(10, 20));
    EXPECT_EQ(GPoint(ini->ReadPoint("N", "r")), GPoint(7, 0));
    EXPECT_EQ(GRect(ini->ReadRect("N", "s")), GRect(0, 0, 96, 32));
    EXPECT_EQ(GRect(ini->ReadRect("N", "t")), GRect(1, 2, 3, 4));
    const Vec2D v = ini->ReadVec2D("N", "v", Vec2D{});
    EXPECT_EQ(Vector2D(v.x, v.y), Vector2D(1.5f, 0.0f));
    const Vec3D w = ini->ReadVec3D("N", "w", Vec3D{});
    EXPECT_EQ(std::vector<float>({w.x, w.y, w.z}), std::vector<float>({1.0f, 0.0f, 0.0f}));
    EXPECT_EQ(ini->ReadInt("N", 0, 0), 12);

    const char* logged[] = {
        "Key i of section [N] in file[t.ini]: the value [12abc] is not a number, read as 12",
        "Key j of section [N] in file[t.ini]: the value [] is not a number, read as 0",
        "Key d of section [N] in file[t.ini]: the value [0xFFgg] is not a number, read as 255",
        "Key f of section [N] in file[t.ini]: the value [1.5f] is not a number, read as 1.5",
        "Key p of section [N] in file[t.ini]: the value [10,,20] is not a point x,y, read as 10,0",
        "the value [0,0,96,32,1] is not a rectangle left,top,right,bottom, read as 0,0,96,32",
        "Key w of section [N] in file[t.ini]: the value [1,a] is not a vector x,y,z, read as 1,0,0",
        "Line 0 of section [N] in file[t.ini]: the value [12abc] is not a number, read as 12",
    };
    for (const char* line : logged) EXPECT_TRUE(Logged(line)) << line;
    const std::string log = ReadFile("ini_log.html");
    size_t count = 0;
    for (size_t at = log.find("is not a"); at != std::string::npos; at = log.find("is not a", at + 1)) ++count;
    EXPECT_EQ(count, sizeof(logged) / sizeof(logged[0]));  // whole values, and "1.5;x" cut by its comment, pass
}

// --- Writing ---------------------------------------------------------------------------

TEST_F(IniTest, WritesEditTheTextInPlace) {
    struct Case {
        const char* before;
        const char* section;
        const char* key;
        const char* value;
        const char* after;
    } cases[] = {
        {"", "New", "k", "v", "\r\n[New]\r\nk=v\r\n"},
        {"[S]\r\nk=old ; note\r\n", "S", "k", "new", "[S]\r\nk=new; note\r\n"},
        {"[S]\r\nk = 1\r\nj=2\r\n", "S", "k", "22", "[S]\r\nk =22\r\nj=2\r\n"},
        {"[S]\r\nk=\r\n", "S", "k", "v", "[S]\r\nk=v\r\n"},
        {"[S]\r\nk=1//c\r\n", "S", "k", "", "[S]\r\nk=//c\r\n"},
        // A value ending in "/" before a "//" comment is kept apart from it.
        {"[S]\r\nk=1//c\r\n", "S", "k", "a/", "[S]\r\nk=a/ //c\r\n"},
        {"[S]\r\na=1\r\n\r\nz=9\r\n", "S", "b", "2", "[S]\r\na=1\r\nb=2\r\n\r\nz=9\r\n"},
        {"[S]\r\na=1\r\n;c\r\n", "S", "b", "2", "[S]\r\na=1\r\nb=2\r\n;c\r\n"},
        {"[S]\r\n//c\r\n\r\n", "S", "b", "2", "[S]\r\n//c\r\nb=2\r\n\r\n"},
        {"[S]\r\n  x=5\r\n", "S", "x", "7", "[S]\r\nx=7\r\n  x=5\r\n"},
        {"[S]\r\na=1\r\n[T]\r\n", "S", "b", "2", "[S]\r\na=1\r\nb=2\r\n[T]\r\n"},
        {"[S]\r\na=1\r\n", "T", "k", "v", "[S]\r\na=1\r\n\r\n[T]\r\nk=v\r\n"},
        {"[S]\r\na=1\r\n[S]\r\na=2\r\n", "S", "a", "3", "[S]\r\na=3\r\n[S]\r\na=2\r\n"},
        {"[S]\r\nnokey\r\n", "S", "nokey", "1", "[S]\r\nnokey\r\nnokey=1\r\n"},
        // A last line without a line break is ended before the new line.
        {"[S]\r\na=1", "S", "n", "1", "[S]\r\na=1\r\nn=1\r\n"},
        {"[S]", "S", "k", "v", "[S]\r\nk=v\r\n"},
        {"[S]\r\na=1", "S", "a", "2", "[S]\r\na=2"},
        // A file with LF lines keeps them: new lines end as its first line does.
        {"[S]\na=1\nb=2\n", "S", "a", "9", "[S]\na=9\nb=2\n"},
        {"[S]\na=1 \n", "S", "a", "false", "[S]\na=false\n"},
        {"[S]\na=1 ;c\n", "S", "a", "2", "[S]\na=2;c\n"},
        {"[S]\na=1\n\nz=9\n", "S", "b", "2", "[S]\na=1\nb=2\n\nz=9\n"},
        {"[S]\na=1", "S", "n", "1", "[S]\na=1\nn=1\n"},
        {"[S]\na=1\n", "T", "k", "v", "[S]\na=1\n\n[T]\nk=v\n"},
        {"[S]\r\na=1\n", "S", "b", "2", "[S]\r\na=1\nb=2\r\n"},  // the first line decides
        {"[\x81\x5d]\r\n", "\x81\x5d", "k", "\xB2\xE2", "[\x81\x5d]\r\nk=\xB2\xE2\r\n"},
    };
    for (const Case& c : cases) {
        auto ini = Load(c.before);
        EXPECT_TRUE(ini->WriteString(c.section, c.key, c.value)) << c.before;
        EXPECT_EQ(Text(*ini), c.after) << c.before;
        EXPECT_EQ(Take(ini->ReadString(c.section, c.key)), c.value) << c.before;
    }
}

TEST_F(IniTest, WritesKeepLaterSectionsReachable) {
    CIniFile ini;
    EXPECT_TRUE(ini.WriteString("A", "a", "1"));  // the first write on an empty object
    EXPECT_TRUE(ini.WriteString("B", "b", "2"));
    EXPECT_TRUE(ini.WriteString("A", "a2", std::string(5000, 'z').c_str()));
    EXPECT_EQ(ini.ReadInt("B", "b", 0), 2);
    EXPECT_TRUE(ini.WriteString("A", "a2", "short"));
    EXPECT_EQ(ini.ReadInt("B", "b", 0), 2);
    EXPECT_EQ(ini.GetIndexNum(), 2);
    EXPECT_EQ(Text(ini), "\r\n[A]\r\na=1\r\na2=short\r\n\r\n[B]\r\nb=2\r\n");
}

TEST_F(IniTest, TypedWritesRoundTrip) {
    CIniFile ini;
    const unsigned char bytes[] = {0x00, 0xFF, 0x1A};
    EXPECT_TRUE(ini.WriteInt("T", "i", -5));
    EXPECT_TRUE(ini.WriteDWORD("T", "d", 255));
    EXPECT_TRUE(ini.WriteDWORD("T", "c", 0xFF102030u));
    EXPECT_TRUE(ini.WriteFloat("T", "f", 1.5f));
    EXPECT_TRUE(ini.WriteBOOL("T", "b", false));
    EXPECT_TRUE(ini.WritePoint("T", "p", GPoint(3, -4)));
    EXPECT_TRUE(ini.WriteRect("T", "r", GRect(1, 2, 3, 4)));
    EXPECT_TRUE(ini.WriteVec2D("T", "v", Vec2D{1.5f, -2.0f}));
    EXPECT_TRUE(ini.WriteVec3D("T", "w", Vec3D{-FLT_MAX, FLT_MAX, 0.25f}));
    EXPECT_TRUE(ini.WriteBinary("T", "x", bytes, 3));
    EXPECT_TRUE(ini.WriteBinary("T", "e", bytes, 0));
    const std::string fltMax = "340282346638528859811704183484516925440.000000";
    EXPECT_EQ(Text(ini),
              "\r\n[T]\r\ni=-5\r\nd=0xff\r\nc=0xff102030\r\nf=1.500000\r\nb=false\r\np=3,-4\r\n"
              "r=1,2,3,4\r\nv=1.500000,-2.000000\r\nw=-" +
                  fltMax + "," + fltMax + ",0.250000\r\nx=AAPPKB\r\ne=\r\n");

    EXPECT_EQ(ini.ReadInt("T", "i", 0), -5);
    EXPECT_EQ(ini.ReadDWORD("T", "d", 0), 255u);
    EXPECT_EQ(ini.ReadDWORD("T", "c", 0), 0xFF102030u);
    EXPECT_FLOAT_EQ(ini.ReadFloat("T", "f", 0), 1.5f);
    EXPECT_FALSE(ini.ReadBOOL("T", "b", true));
    EXPECT_EQ(GPoint(ini.ReadPoint("T", "p")), GPoint(3, -4));
    EXPECT_EQ(GRect(ini.ReadRect("T", "r")), GRect(1, 2, 3, 4));
    Vec3D w = ini.ReadVec3D("T", "w", Vec3D{});
    EXPECT_EQ(std::vector<float>({w.x, w.y, w.z}), std::vector<float>({-FLT_MAX, FLT_MAX, 0.25f}));
    unsigned char back[3] = {};
    EXPECT_EQ(ini.ReadBinary("T", "x", back, 3), 3);
    EXPECT_EQ(std::vector<unsigned char>(back, back + 3), std::vector<unsigned char>(bytes, bytes + 3));

    // Every byte value survives.
    std::vector<unsigned char> all(256), decoded(256);
    for (int i = 0; i < 256; ++i) all[i] = static_cast<unsigned char>(i);
    EXPECT_TRUE(ini.WriteBinary("T", "all", all.data(), 256));
    EXPECT_EQ(ini.ReadBinary("T", "all", decoded.data(), 256), 256);
    EXPECT_EQ(decoded, all);
}

TEST_F(IniTest, WritesRefuseWhatTheFormatCannotHold) {
    const std::string before = "[S]\r\na=1\r\n";
    auto ini = Load(before);
    const std::string longName(CIniFile::MAX_INDEX_NAME + 1, 'n');
    struct Case {
        const char* section;
        const char* key;
        const char* value;
    } cases[] = {
        {nullptr, "k", "v"},
        {"S", nullptr, "v"},
        {"S", "k", nullptr},
        {"a]b", "k", "v"},
        {"a;b", "k", "v"},
        {"a=b", "k", "v"},
        {"a//b", "k", "v"},
        {"a\r\nb", "k", "v"},
        {"S", "k=", "v"},
        {"S", "[k", "v"},
        {"S", " k", "v"},
        {"S", "k\t", "v"},
        {"S", ";k", "v"},
        {"S", "k//", "v"},
        {"S", "k]", "v"},
        {"S", "k", "1\r\n[X]"},
        {"S", "k", "1\n"},
        {longName.c_str(), "k", "v"},
        // Values that would read back cut or trimmed.
        {"S", "k", "http://x"},
        {"S", "k", "a;b"},
        {"S", "k", "a=b"},
        {"S", "k", "a]b"},
        {"S", "k", " v"},
        {"S", "k", "v\t"},
        {"S", "a", "2;"},
        // A lead byte without its trail byte would pair with the "]" or the "=" after it.
        {"S\x81", "k", "v"},
        {"S", "k\xB2", "v"},
        {"S", "k", "v\xFE"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(ini->WriteString(c.section, c.key, c.value))
            << (c.section ? c.section : "null") << "." << (c.key ? c.key : "null");
        EXPECT_EQ(Text(*ini), before);
    }
    EXPECT_FALSE(ini->WriteBinary("S", "k", nullptr, 3));
    EXPECT_FALSE(ini->WriteInt(nullptr, "k", 1));
    EXPECT_EQ(Text(*ini), before);
    EXPECT_TRUE(Logged("Invalidate parameter! [CIniFile::WriteString]"));
    EXPECT_TRUE(Logged("is too long (at most 249), [CIniFile::AddIndex]"));

    // A double-byte character whose second byte is "]" is one character, not a terminator.
    EXPECT_TRUE(ini->WriteString("S", "gbk", "\x81\x5D x"));
    EXPECT_EQ(Take(ini->ReadString("S", "gbk")), "\x81\x5D x");

    // The longest name that fits is accepted and found again.
    const std::string longest(CIniFile::MAX_INDEX_NAME, 'n');
    EXPECT_TRUE(ini->WriteString(longest.c_str(), "k", "v"));
    EXPECT_EQ(Take(ini->ReadString(longest.c_str(), "k")), "v");
}

// --- Files and bad arguments -------------------------------------------------------------

TEST_F(IniTest, SaveWritesAnUnchangedFileByteForByte) {
    const std::string original =
        "; leading comment\r\n\r\n[Main]\r\n  indented = 1\r\nkey\t=\tvalue ; c\r\n// slashes\r\n"
        "mixed=lf\n\xFFodd\r\n[\xB2\xE2]\r\n\xC3\xFB=\xCA\xD4\r\n[Empty]\r\n\r\n\r\nlast=no break";
    WriteFile("orig.ini", original);
    CIniFile ini("orig.ini");
    EXPECT_EQ(ini.GetIndexNum(), 3);
    EXPECT_EQ(ini.ReadInt("Main", "x", 0), 0);  // reads leave the text alone
    EXPECT_TRUE(ini.Save());
    EXPECT_EQ(ReadFile("orig.ini"), original);

    // Re-opening another file replaces the text and the sections.
    WriteFile("other.ini", "[Only]\r\n");
    EXPECT_TRUE(ini.Open("other.ini"));
    EXPECT_EQ(ini.GetIndexNum(), 1);
    EXPECT_EQ(Text(ini), "[Only]\r\n");
}

TEST_F(IniTest, FileFailuresAreLoggedAndLeaveAnEmptyObject) {
    // A missing file is an empty one, and Save without a name creates it.
    CIniFile ini("missing.ini");
    EXPECT_TRUE(Logged("Can't open Ini file [missing.ini] !"));
    EXPECT_EQ(ini.GetIndexNum(), 0);
    EXPECT_TRUE(ini.WriteInt("S", "k", 1));
    EXPECT_TRUE(ini.Save(nullptr));
    EXPECT_EQ(ReadFile("missing.ini"), "\r\n[S]\r\nk=1\r\n");
    std::remove("missing.ini");

    WriteFile("t.ini", "[A]\r\na=1\r\n");
    EXPECT_TRUE(ini.Open("t.ini"));
    EXPECT_FALSE(ini.Open(nullptr));
    EXPECT_TRUE(Logged("pFileName=NULL! [CIniFile::Open]"));
    EXPECT_EQ(ini.ReadInt("A", "a", 0), 1);  // a null name leaves the object as it was

    for (const std::string& bad : {std::string("."), std::string(300, 'f')}) {
        EXPECT_FALSE(ini.Open(bad.c_str())) << bad;
        EXPECT_EQ(ini.GetIndexNum(), 0) << bad;
        EXPECT_EQ(ini.ReadInt("A", "a", 0), 0) << bad;
    }
    EXPECT_TRUE(Logged("Can't open Ini file [.] !"));
    EXPECT_TRUE(Logged("File name too long"));
    EXPECT_FALSE(ini.Save(nullptr));  // the too-long name was not recorded

    EXPECT_FALSE(ini.Save("no/such/folder/x.ini"));
    EXPECT_TRUE(Logged("Can't save file [no/such/folder/x.ini] !"));
    CIniFile never;
    EXPECT_FALSE(never.Save());
    EXPECT_TRUE(Logged("No file name to save, [CIniFile::Save] !"));
}

TEST_F(IniTest, NullArgumentsNeverCrash) {
    auto ini = Load("[S]\r\na=1\r\n");
    char buffer[CIniFile::MAX_BUFFER] = "stale";
    EXPECT_EQ(Take(ini->ReadString(nullptr, "a")), "<null>");
    EXPECT_TRUE(Logged("Index is NULL, [CIniFile::FindIndex] !"));
    EXPECT_EQ(Take(ini->ReadString("S", nullptr)), "<null>");
    EXPECT_TRUE(Logged("Data name is NULL, [CIniFile::FindDataName] !"));
    EXPECT_EQ(ini->ReadInt(nullptr, "a", 4), 4);
    EXPECT_EQ(ini->ReadString("S", "a", buffer, nullptr), buffer);
    EXPECT_STREQ(buffer, "1");
    EXPECT_EQ(ini->ReadString("S", "a", nullptr, "d"), nullptr);
    EXPECT_EQ(ini->ReadString("S", "a", buffer, 0, "d"), buffer);
    EXPECT_EQ(ini->ReadString("S", 0, nullptr), 0);
    EXPECT_EQ(ini->ReadString(nullptr, 0, buffer), 0);
    EXPECT_EQ(ini->GetIndex(0, nullptr), nullptr);
    EXPECT_EQ(ini->GetContinueData(nullptr), 0);
    EXPECT_EQ(Take(ini->ReadDataName(nullptr, 0)), "<null>");
    EXPECT_EQ(ini->ReadBinary(nullptr, "a", reinterpret_cast<unsigned char*>(buffer), 4), 0);
    EXPECT_TRUE(Logged("Invalidate parameter! [CIniFile::ReadString]"));
    EXPECT_TRUE(Logged("Invalidate parameter! [CIniFile::GetIndex]"));
}

}  // namespace
