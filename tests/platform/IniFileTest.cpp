#include "platform/IniFile.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>

#include "tests/support/TempPrefix.h"

namespace kv {
namespace {

// One row of the Windows profile rules: what GetPrivateProfileString returns for a file
// text, section, key, default and buffer size.
struct StringRule {
  const char* m_pName;
  std::string m_sText;
  std::string m_sSection;
  std::string m_sKey;
  std::string m_sDefault;
  size_t m_uCapacity;
  std::string m_sExpected;
};

class IniStringRules : public ::testing::TestWithParam<StringRule> {};

TEST_P(IniStringRules, ReadsAsWindowsDoes) {
  const StringRule& rule = GetParam();
  CIniFile ini = CIniFile::FromText(rule.m_sText);
  EXPECT_EQ(rule.m_sExpected,
            ini.GetString(rule.m_sSection, rule.m_sKey, rule.m_sDefault, rule.m_uCapacity));
}

const std::string kLong(100000, 'x');

INSTANTIATE_TEST_SUITE_P(
    Table, IniStringRules,
    ::testing::Values(
        StringRule{"Plain", "[MODEL]\nModel1=VT-R900A\n", "MODEL", "Model1", "", 0, "VT-R900A"},
        StringRule{"CaseOfSectionAndKey", "[model]\nmodel1=X", "MODEL", "MODEL1", "", 0, "X"},
        StringRule{"BlanksTrimmed", "[S]\n   key \t =   some value \t \n", "S", "key", "", 0,
                   "some value"},
        StringRule{"InnerBlanksOfKeyKept", "[S]\nmy key = v", "S", "my key", "", 0, "v"},
        StringRule{"LookupNamesTrimmed", "[S]\nk=v", " S ", " k ", "", 0, "v"},
        StringRule{"Crlf", "[S]\r\nk=v\r\nk2=w\r\n", "S", "k2", "", 0, "w"},
        StringRule{"NoFinalNewline", "[S]\nk=v", "S", "k", "", 0, "v"},
        StringRule{"ByteOrderMark", "\xEF\xBB\xBF[S]\nk=v", "S", "k", "", 0, "v"},
        StringRule{"CtrlZIsBlank", "[S]\nk=v\x1A", "S", "k", "", 0, "v"},
        StringRule{"FirstKeyWins", "[S]\nk=1\nK=2", "S", "k", "", 0, "1"},
        StringRule{"FirstSectionWins", "[S]\na=1\n[T]\nb=2\n[s]\na=3", "S", "a", "", 0, "1"},
        StringRule{"LaterSameSectionNotSearched", "[S]\na=1\n[T]\n[s]\nc=4", "S", "c", "dflt", 0,
                   "dflt"},
        StringRule{"EmptyFirstSectionShadows", "[S]\n[S]\nk=1", "S", "k", "dflt", 0, "dflt"},
        StringRule{"MissingSection", "[S]\nk=1", "T", "k", "dflt", 0, "dflt"},
        StringRule{"MissingKey", "[S]\nk=1", "S", "j", "dflt", 0, "dflt"},
        StringRule{"KeyOfOtherSection", "[S]\nk=1\n[T]\nj=2", "S", "j", "dflt", 0, "dflt"},
        StringRule{"EmptyValueIsNotDefault", "[S]\nk=\n", "S", "k", "dflt", 0, ""},
        StringRule{"LineWithoutEqualsHasNoValue", "[S]\nk\nk=v", "S", "k", "dflt", 0, "dflt"},
        StringRule{"DoubleQuotesStripped", "[S]\nk=\"  quoted  \"", "S", "k", "", 0,
                   "  quoted  "},
        StringRule{"SingleQuotesStripped", "[S]\nk='x'", "S", "k", "", 0, "x"},
        StringRule{"QuotesAroundNothing", "[S]\nk=\"\"", "S", "k", "dflt", 0, ""},
        StringRule{"MismatchedQuotesKept", "[S]\nk=\"x'", "S", "k", "", 0, "\"x'"},
        StringRule{"LoneQuoteKept", "[S]\nk=\"", "S", "k", "", 0, "\""},
        StringRule{"InnerQuotesKept", "[S]\nk=a\"b\"", "S", "k", "", 0, "a\"b\""},
        StringRule{"CommentLine", "[S]\n;k=1\nk=2", "S", "k", "", 0, "2"},
        StringRule{"IndentedComment", "[S]\n  ;k=1\n", "S", ";k", "dflt", 0, "dflt"},
        StringRule{"SemicolonInValueKept", "[S]\nk=a;b", "S", "k", "", 0, "a;b"},
        StringRule{"EqualsInValueKept", "[S]\nk=a=b", "S", "k", "", 0, "a=b"},
        StringRule{"TextAfterHeaderIgnored", "[S] ; note\nk=v", "S", "k", "", 0, "v"},
        StringRule{"HeaderNameTakenAsWritten", "[ S ]\nk=v", "S", "k", "dflt", 0, "dflt"},
        StringRule{"HeaderWithoutBracketIsALine", "[A]\n[B\nk=v", "A", "k", "", 0, "v"},
        StringRule{"CapacityCuts", "[S]\nk=abcdef", "S", "k", "", 4, "abc"},
        StringRule{"CapacityOne", "[S]\nk=abcdef", "S", "k", "", 1, ""},
        StringRule{"CapacityCutsAfterQuotes", "[S]\nk=\"abcdef\"", "S", "k", "", 4, "abc"},
        StringRule{"CapacityCutsDefault", "", "S", "k", "default", 4, "def"},
        StringRule{"DefaultLosesTrailingSpaces", "", "S", "k", "default  ", 0, "default"},
        StringRule{"NulEndsLine", std::string("[S]\nk=ab\0cd\nm=1", 15), "S", "k", "", 0, "ab"},
        StringRule{"LineAfterNul", std::string("[S]\nk=ab\0cd\nm=1", 15), "S", "m", "", 0, "1"},
        StringRule{"LongLine", "[S]\nk=" + kLong, "S", "k", "", 260, std::string(259, 'x')},
        StringRule{"LongLineWhole", "[S]\nk=" + kLong + "\nj=1", "S", "k", "", 0, kLong}),
    [](const ::testing::TestParamInfo<StringRule>& info) { return info.param.m_pName; });

struct IntRule {
  const char* m_pName;
  std::string m_sValue;  // the text after "k="; "<none>" for no such key
  int32_t m_iDefault;
  int32_t m_iExpected;
};

class IniIntRules : public ::testing::TestWithParam<IntRule> {};

TEST_P(IniIntRules, ParsesAsGetPrivateProfileInt) {
  const IntRule& rule = GetParam();
  std::string text = "[CALIBRATION_DATA_GEN]\n";
  if (rule.m_sValue != "<none>") text += "k=" + rule.m_sValue + "\n";
  CIniFile ini = CIniFile::FromText(text);
  EXPECT_EQ(rule.m_iExpected, ini.GetInt("calibration_data_gen", "K", rule.m_iDefault));
}

INSTANTIATE_TEST_SUITE_P(
    Table, IniIntRules,
    ::testing::Values(IntRule{"Decimal", "655", -1, 655},
                      IntRule{"Negative", "  -12", -1, -12},
                      IntRule{"Plus", "+7", -1, 7},
                      IntRule{"TrailingText", "12abc", -1, 12},
                      IntRule{"NoDigits", "abc", -1, 0},
                      IntRule{"Empty", "", -1, -1},
                      IntRule{"Missing", "<none>", 42, 42},
                      IntRule{"HexPrefixNotRead", "0x10", -1, 0},
                      IntRule{"HexDigitsNotRead", "2F11", -1, 2},
                      IntRule{"Quoted", "\"42\"", -1, 42},
                      IntRule{"QuotedBlanks", "\" 42\"", -1, 42},
                      IntRule{"SignThenBlank", "- 5", -1, 0},
                      IntRule{"WrapsLikeWindows", "4294967297", -1, 1},
                      IntRule{"WrapsToMinimum", "2147483648", -1, INT32_MIN},
                      // Only 29 characters reach the number parser.
                      IntRule{"ReadThroughThirtyCharBuffer", std::string(29, '0') + "7", -1, 0}),
    [](const ::testing::TestParamInfo<IntRule>& info) { return info.param.m_pName; });

TEST(IniFile, HasKeyMeansTheFileAnswers) {
  CIniFile ini = CIniFile::FromText("[S]\nempty=\nbare\nset=1\n");
  EXPECT_TRUE(ini.HasKey("s", "EMPTY"));
  EXPECT_TRUE(ini.HasKey("S", "set"));
  EXPECT_FALSE(ini.HasKey("S", "bare"));
  EXPECT_FALSE(ini.HasKey("S", "other"));
  EXPECT_FALSE(ini.HasKey("T", "set"));
}

TEST(IniFile, LoadsFromDiskAndTreatsMissingFileAsEmpty) {
  test::CTempPrefix prefix;
  std::string path = prefix.Dir() + "/Optrim.ini";
  CIniFile missing = CIniFile::Load(path);
  EXPECT_FALSE(missing.Exists());
  EXPECT_EQ(2185, missing.GetInt("CALIBRATION_DATA_GEN", "marginX0", 2185));
  {
    std::ofstream out(path, std::ios::binary);
    out << "\xEF\xBB\xBF; written by the installer\r\n[CALIBRATION_DATA_GEN]\r\n"
           "marginX0 = 655\r\npreciseNx=4\r\n";
  }
  CIniFile ini = CIniFile::Load(path);
  EXPECT_TRUE(ini.Exists());
  EXPECT_EQ(655, ini.GetInt("CALIBRATION_DATA_GEN", "marginX0", 0));
  EXPECT_EQ(4, ini.GetInt("CALIBRATION_DATA_GEN", "preciseNx", 0));
  // A folder is not a file to read.
  EXPECT_FALSE(CIniFile::Load(prefix.Dir()).Exists());
}

}  // namespace
}  // namespace kv
