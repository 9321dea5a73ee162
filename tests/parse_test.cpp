// The INI syntax, line by line: what a text becomes once parsed, shown as the
// text the document saves.
#include "ini/parse.h"

#include <gtest/gtest.h>

#include "ini/IniFile.h"

namespace inikey {
namespace {

std::string parsedAndSaved(const std::string& text) {
  SectionMap sections;
  ParseState state;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    parseLine(sections, state, std::string_view(text).substr(start, end - start));
  }
  parseLine(sections, state, std::string_view(text).substr(start));
  return savedText(sections);
}

struct ParseCase {
  const char* name;
  std::string text;
  std::string saved;
};

TEST(Parse, LinesBecomeSectionsKeysAndValues) {
  const ParseCase cases[] = {
      {"empty text", "", ""},
      {"keys before a header go to the unnamed section", "a=1\n[s]\nb=2\n",
       "[]\na=1\n\n[s]\nb=2\n\n"},
      {"last line without a line feed", "[s]\nk=v", "[s]\nk=v\n\n"},
      {"blanks around = and the line go", "  key \t=  some value \r\n", "[]\nkey=some value\n\n"},
      {"blanks inside names and values stay", "[my  sec]\nmy key = a  b\n",
       "[my  sec]\nmy key=a  b\n\n"},
      {"vertical tab and backspace are blanks", "\v\bk\v=\bv\b\v", "[]\nk=v\n\n"},
      {"comments, even indented", "; c=1\n  # d=2\n\t;e=3\nf=4", "[]\nf=4\n\n"},
      {"no trailing comments", "k=v ; not a comment", "[]\nk=v ; not a comment\n\n"},
      {"; inside a key", "a;b=1", "[]\na;b=1\n\n"},
      {"line without =, line starting with =", "just words\n=v\n = v\nk=", "[]\nk=\n\n"},
      {"second = belongs to the value", "a = b = c", "[]\na=b = c\n\n"},
      {"header loses blanks and brackets around the name", " [[ [ name ] ]] \nk=v",
       "[name]\nk=v\n\n"},
      {"header keeps inner brackets", "[a[b]c]\nk=v", "[a[b]c]\nk=v\n\n"},
      {"header with = is a header", "[a=b]\nk=v", "[a=b]\nk=v\n\n"},
      {"header with a comment after it is a key line", "[s] ; c=1\nk=v", "[]\n[s] ; c=1\nk=v\n\n"},
      {"open bracket alone is no header", "[s]\n[\n[t\nk=v", "[s]\nk=v\n\n"},
      {"empty header is the unnamed section", "[s]\n[]\nk=v\n[ \t ]\nj=w", "[]\nj=w\nk=v\n\n"},
      {"header keeps vertical tabs inside the brackets", "[\vs\v]\nk=v", "[\vs\v]\nk=v\n\n"},
      {"header alone creates nothing", "[empty]\n[s]\nk=v\n[also empty]", "[s]\nk=v\n\n"},
      {"repeated headers merge, first spelling kept", "[Net]\na=1\n[x]\nk=v\n[NET]\nb=2",
       "[Net]\na=1\nb=2\n\n[x]\nk=v\n\n"},
      {"repeated keys: first spelling, last value", "[s]\nKey=1\nKEY=2\nkey=3",
       "[s]\nKey=3\n\n"},
      {"non-ASCII bytes do not fold", "[\xC3\xA9]\nk=1\n[\xC3\x89]\nk=2",
       "[\xC3\x89]\nk=2\n\n[\xC3\xA9]\nk=1\n\n"},
      {"sections and keys are sorted without case", "[b]\nz=1\nY=2\nx=3\n[A]\nk=v\n[c]\nk=v",
       "[A]\nk=v\n\n[b]\nx=3\nY=2\nz=1\n\n[c]\nk=v\n\n"},
      {"quotes keep inner blanks", "k=\"  a  \"", "[]\nk=  a  \n\n"},
      {"two quotes give an empty value", "k=\"\"", "[]\nk=\n\n"},
      {"one quote gives an empty value", "k=\"", "[]\nk=\n\n"},
      {"every quote at both ends goes, inner ones stay", "k=\"\"a\"b\"\"", "[]\nk=a\"b\n\n"},
      {"a quote at one end only stays", "a=\"x\nb=x\"", "[]\na=\"x\nb=x\"\n\n"},
      {"single quotes mean nothing", "k='v'", "[]\nk='v'\n\n"},
      {"quotes after blanks are trimmed first", "k = \" v \" ", "[]\nk= v \n\n"},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(parsedAndSaved(c.text), c.saved);
  }
}

TEST(Parse, EachParseStartsOutsideAnySection) {
  IniFile file("/nonexistent/inikey-test");
  file.parse({"[s]", "a=1"});
  file.parse({"b=2"});
  EXPECT_EQ(savedText(file.sections), "[]\nb=2\n\n[s]\na=1\n\n");
}

}  // namespace
}  // namespace inikey
