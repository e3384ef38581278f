// The line tokenizer on real files: its cutting rules, long lines, line
// ends, and files that change or are no files while they are read.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "base/tokenizer.h"
#include "scratch_folder.h"

namespace {

// Every line of the file: its count, then its tokens.
std::vector<std::vector<std::string>> ReadAll(const std::string& path, std::vector<int>* counts) {
  std::vector<std::vector<std::string>> lines;
  EXPECT_TRUE(OpenTokenFile(path.c_str()));
  for (int n; (n = NextLine()) != TokenEndOfFile;) {
    counts->push_back(n);
    std::vector<std::string> tokens;
    while (const char* t = NextToken()) tokens.push_back(t);
    EXPECT_EQ(tokens.size(), size_t(n < 0 ? 0 : n));
    lines.push_back(tokens);
    if (lines.size() > 100000) break;  // a reader that never ends fails here
  }
  CloseTokenFile();
  return lines;
}

using Tokens = std::vector<std::string>;

TEST(Tokenizer, CutsLinesByTheRules) {
  ScratchFolder dir("tokenizer");
  const std::string path = dir.Write("t.txt",
      "key = value\n"
      "key=value\n"
      "  ; only a comment\n"
      "\n"
      "a,b:c ; comment = ignored\n"
      "name = \"two words ; not a comment\"\n"
      "empty = \"\"\n"
      "glued\"quoted part\"tail\n"
      "tab\tsep\r\n"
      "open = \"never closed\n"
      "end = \"\n"
      "semi;colon\n"
      "last line without end");
  std::vector<int> counts;
  auto lines = ReadAll(path, &counts);
  ASSERT_EQ(lines.size(), 13u);
  EXPECT_EQ(lines[0], (Tokens{"key", "=", "value"}));
  EXPECT_EQ(lines[1], (Tokens{"key", "=", "value"}));
  EXPECT_EQ(counts[2], 0);
  EXPECT_EQ(counts[3], 0);
  EXPECT_EQ(lines[4], (Tokens{"a", ",", "b", ":", "c"}));
  EXPECT_EQ(lines[5], (Tokens{"name", "=", "two words ; not a comment"}));
  EXPECT_EQ(lines[6], (Tokens{"empty", "=", ""}));
  EXPECT_EQ(lines[7], (Tokens{"glued", "quoted part", "tail"}));
  EXPECT_EQ(lines[8], (Tokens{"tab", "sep"}));
  EXPECT_EQ(counts[9], TokenUnclosedQuote);
  EXPECT_EQ(counts[10], TokenUnclosedQuote);  // a quote as the last character
  EXPECT_EQ(lines[11], (Tokens{"semi"}));
  EXPECT_EQ(lines[12], (Tokens{"last", "line", "without", "end"}));
}

TEST(Tokenizer, LongLinesGoOnAsTheNextLineAndOneLineEndIsDropped) {
  ScratchFolder dir("tokenizer");
  // 255 characters fill one line; the rest, then its line feed, is another.
  std::string first(250, 'a');
  const std::string path = dir.Write("long.txt", first + " bcde" + "fgh\n" + "x\r\r\n" + "q\n\n");
  std::vector<int> counts;
  auto lines = ReadAll(path, &counts);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], (Tokens{first, "bcde"}));
  EXPECT_EQ(lines[1], (Tokens{"fgh"}));
  EXPECT_EQ(lines[2], (Tokens{"x"}));  // CR CR LF: the CR left over separates
  EXPECT_EQ(lines[3], (Tokens{"q"}));
  EXPECT_EQ(counts[4], 0);

  // A line of thousands of characters is read in pieces of at most 255.
  std::string huge;
  for (int i = 0; i < 3000; i++) huge += char('a' + i % 26);
  const std::string big = dir.Write("huge.txt", huge + "\nk = v\n");
  counts.clear();
  lines = ReadAll(big, &counts);
  ASSERT_EQ(lines.size(), 13u);  // ceil(3001 / 255) pieces, then the short line
  for (size_t i = 0; i + 1 < lines.size(); i++) {
    ASSERT_EQ(lines[i].size(), 1u);
    EXPECT_LE(lines[i][0].size(), 255u);
  }
  EXPECT_EQ(lines.back(), (Tokens{"k", "=", "v"}));
}

TEST(Tokenizer, NulBytesEndTheirLineOnly) {
  ScratchFolder dir("tokenizer");
  const std::string path = dir.Write("nul.txt", std::string("a = b\0 = c\n\"x\0y\"\nk = v\n", 23));
  std::vector<int> counts;
  auto lines = ReadAll(path, &counts);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], (Tokens{"a", "=", "b"}));
  EXPECT_EQ(counts[1], TokenUnclosedQuote);
  EXPECT_EQ(lines[2], (Tokens{"k", "=", "v"}));
}

TEST(Tokenizer, StopsAtTheSizeSeenWhenOpenedAndWhenTheFileShrinks) {
  ScratchFolder dir("tokenizer");
  const std::string path = dir.Write("grow.txt", "a = 1\nb = 2\n");
  ASSERT_TRUE(OpenTokenFile(path.c_str()));
  dir.Append("grow.txt", "c = 3\n");
  EXPECT_EQ(NextLine(), 3);
  EXPECT_EQ(NextLine(), 3);
  EXPECT_EQ(NextLine(), TokenEndOfFile);
  CloseTokenFile();

  const std::string shrink = dir.Write("shrink.txt", "a = 1\nb = 2\nc = 3\n");
  ASSERT_TRUE(OpenTokenFile(shrink.c_str()));
  EXPECT_EQ(NextLine(), 3);
  ASSERT_EQ(truncate(shrink.c_str(), 3), 0);
  int lines = 0;
  while (NextLine() != TokenEndOfFile && lines < 10) lines++;
  EXPECT_LT(lines, 10);
  EXPECT_EQ(NextToken(), nullptr);
  CloseTokenFile();
  EXPECT_EQ(NextLine(), TokenEndOfFile);  // nothing open
}

TEST(Tokenizer, RefusesWhatIsNoRegularFile) {
  ScratchFolder dir("tokenizer");
  const std::string fifo = dir.Path("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(OpenTokenFile(fifo.c_str()));  // returns at once, no writer needed
  EXPECT_FALSE(OpenTokenFile(dir.Path("").c_str()));
  EXPECT_FALSE(OpenTokenFile(dir.Path("missing").c_str()));
  EXPECT_FALSE(OpenTokenFile(nullptr));
  EXPECT_EQ(NextLine(), TokenEndOfFile);
}

}  // namespace
