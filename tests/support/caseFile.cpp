#include "support/caseFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "support/process.h"

namespace inikey::testing {
namespace {

struct ToolCase {
  std::string name;
  int line = 0;
  std::vector<std::string> args;
  std::string file;
  std::string out;
  std::string err;
  int status = 0;
  bool fileChanges = false;
  std::string after;
};


// Appends the byte that the escape at text[at] (just after its backslash) stands for,
// and returns the index after it.
size_t unescape(const std::string& text, size_t at, std::string& out) {
  static const std::string kFrom = "trvb0\\' ";
  static const char kTo[] = "\t\r\v\b\0\\' ";
  if (at < text.size() && text[at] == 'x' && at + 2 < text.size()) {
    out += static_cast<char>(std::stoi(text.substr(at + 1, 2), nullptr, 16));
    return at + 3;
  }
  const size_t which = at < text.size() ? kFrom.find(text[at]) : std::string::npos;
  if (which == std::string::npos) {
    ADD_FAILURE() << "unknown escape in: " << text;
    return at + 1;
  }
  out += kTo[which];
  return at + 1;
}

void appendLine(const std::string& line, std::string& block) {
  if (line == "{usage}") {
    static const std::string usage = readFile(std::string(CASES_DIR) + "/usage.txt");
    block += usage;
    return;
  }
  for (size_t at = 0; at < line.size();) {
    if (line.compare(at, 8, "{binary}") == 0) {
      block += inikeyBinary();
      at += 8;
    } else if (line[at] != '\\') {
      block += line[at++];
    } else if (at + 1 == line.size()) {
      return;  // a final backslash: no line feed
    } else {
      at = unescape(line, at + 1, block);
    }
  }
  block += '\n';
}

std::vector<std::string> splitWords(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  for (size_t at = 0; at < text.size();) {
    const char c = text[at];
    if (c == ' ') {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
      ++at;
      continue;
    }
    inWord = true;
    if (c == '\'') {
      const size_t close = text.find('\'', at + 1);
      word += text.substr(at + 1, close - at - 1);
      at = close == std::string::npos ? text.size() : close + 1;
    } else if (c == '\\') {
      at = unescape(text, at + 1, word);
    } else {
      word += c;
      ++at;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

std::vector<ToolCase> readCases(const std::string& path) {
  std::ifstream in(path);
  if (!in) ADD_FAILURE() << "cannot read " << path;
  std::vector<ToolCase> cases;
  std::string defaultFile;
  std::string* block = nullptr;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (line.rfind("=== ", 0) == 0) {
      ToolCase& added = cases.emplace_back();
      added.name = line.substr(4);
      added.line = number;
      added.file = defaultFile;
      block = nullptr;
    } else if (line.rfind("$ inikey", 0) == 0 && !cases.empty()) {
      cases.back().args = splitWords(line.substr(8));
      block = nullptr;
    } else if (line.rfind("--- ", 0) == 0) {
      const std::string what = line.substr(4);
      ToolCase* current = cases.empty() ? nullptr : &cases.back();
      block = nullptr;
      if (what == "file") {
        block = current != nullptr ? &current->file : &defaultFile;
      } else if (current != nullptr && what == "out") {
        block = &current->out;
      } else if (current != nullptr && what == "err") {
        block = &current->err;
      } else if (current != nullptr && what == "after") {
        block = &current->after;
        current->fileChanges = true;
      } else if (current != nullptr && what.rfind("status ", 0) == 0) {
        current->status = std::stoi(what.substr(7));
      } else {
        ADD_FAILURE() << path << ":" << number << ": unknown block " << what;
      }
      if (block != nullptr) block->clear();
    } else if (block != nullptr) {
      appendLine(line, *block);
    } else {
      ADD_FAILURE() << path << ":" << number << ": line outside a block";
    }
  }
  return cases;
}

}  // namespace

void runCaseFile(const std::string& name) {
  const std::string path = std::string(CASES_DIR) + "/" + name;
  for (const ToolCase& c : readCases(path)) {
    SCOPED_TRACE(path + ":" + std::to_string(c.line) + ": " + c.name);
    TempDir folder;
    writeFile(folder / "settings.ini", c.file);
    const RunResult result = runInikey(c.args, folder.path());
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(readFile(folder / "settings.ini"), c.fileChanges ? c.after : c.file);
  }
}

}  // namespace inikey::testing
