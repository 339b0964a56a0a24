// kelvaro-cli's block-wise UTF-8 input and output, held against the whole-buffer conversions of
// text/utf.h: with blocks of one to eight bytes (or units), every sequence of the tables below
// starts at every offset around the first and the second block end.

#include "cli/pass_through.h"
#include "cli/streams.h"
#include "support/generate.h"
#include "support/text.h"
#include "text/utf.h"

#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <stdexcept>
#include <streambuf>

namespace kelvaro::cli {
namespace {

using testing::U8;

constexpr std::size_t kSmallestBlock = 1;
constexpr std::size_t kLargestBlock = 8;

/// Offsets from the start of the stream up to past the second block end.
std::size_t OffsetsFor(std::size_t block) { return 2 * block + 5; }

/// `bytes` bytes of text before the sequence under test: ASCII and three-byte characters mixed, so
/// that a position counted in code units instead of bytes shows.
std::string Utf8Prefix(std::size_t bytes) {
  std::string prefix(bytes % 3, 'a');
  for (std::size_t i = 0; i < bytes / 3; ++i)
    prefix += "\xE4\xB8\xAD"; // 中
  return prefix;
}

/// `units` code units before the sequence under test, mixing one-, two- and three-byte UTF-8.
std::u16string Utf16Prefix(std::size_t units) {
  static constexpr char16_t kUnits[] = {u'a', u'\u00E9', u'\u4E2D'};
  std::u16string prefix;
  for (std::size_t i = 0; i < units; ++i)
    prefix.push_back(kUnits[i % 3]);
  return prefix;
}

Result<std::u16string> Read(const std::string& bytes, std::size_t block) {
  std::istringstream in(bytes);
  return ReadUtf8(in, block);
}

std::string Write(std::u16string_view text, std::size_t block) {
  std::ostringstream out;
  EXPECT_TRUE(WriteUtf8(out, text, block));
  return out.str();
}

std::string Hex(std::string_view bytes) {
  std::string hex;
  for (const char c : bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const auto b = static_cast<unsigned char>(c);
    hex += {kDigits[b >> 4], kDigits[b & 15], ' '};
  }
  return hex;
}

struct Utf8Case {
  std::string_view name;
  std::string_view bytes;
};

// Well-formed sequences of every length, at the edges of the ranges a lead's second byte may take.
constexpr Utf8Case kWellFormed[] = {
    {"two bytes, lowest", "\xC2\x80"},
    {"two bytes, é", "\xC3\xA9"},
    {"three bytes, E0 A0 80", "\xE0\xA0\x80"},
    {"three bytes, 中", "\xE4\xB8\xAD"},
    {"three bytes, ED 9F BF (below the surrogates)", "\xED\x9F\xBF"},
    {"three bytes, U+FFFF", "\xEF\xBF\xBF"},
    {"four bytes, U+10000 (a surrogate pair)", "\xF0\x90\x80\x80"},
    {"four bytes, 😀 (a surrogate pair)", "\xF0\x9F\x98\x80"},
    {"four bytes, U+10FFFF (a surrogate pair)", "\xF4\x8F\xBF\xBF"},
    {"two sequences back to back", "\xF0\x9F\x98\x80\xE4\xB8\xAD"},
};

TEST(Streams, ReadDecodesSequencesCutAtEveryOffsetAsTheWholeBufferDecoderDoes) {
  for (const Utf8Case& c : kWellFormed) {
    for (std::size_t block = kSmallestBlock; block <= kLargestBlock; ++block) {
      for (std::size_t at = 0; at <= OffsetsFor(block); ++at) {
        const std::string bytes = Utf8Prefix(at) + std::string(c.bytes) + "z";
        SCOPED_TRACE(std::string(c.name) + ", block " + std::to_string(block) + ", at byte " +
                     std::to_string(at));
        const Result<std::u16string> read = Read(bytes, block);
        ASSERT_TRUE(read) << "error at byte " << read.error().position;
        EXPECT_EQ(*read, Utf8ToUtf16(bytes).value());
      }
    }
  }
}

TEST(Streams, ReadOfGeneratedTextMatchesTheWholeBufferDecoderForEveryBlockSize) {
  std::mt19937 random(13);
  for (int round = 0; round < 20; ++round) {
    const std::u16string text = testing::GenerateGb2312Text(random, 40) + u"\U0001F600€é";
    const std::string bytes = Utf16ToUtf8(text);
    for (std::size_t block = kSmallestBlock; block <= kLargestBlock; ++block) {
      SCOPED_TRACE("block " + std::to_string(block));
      EXPECT_EQ(Read(bytes, block).value(), text);
    }
  }
}

// Ill-formed input: the sequence under test starts at the offset, so that is where the error is.
constexpr Utf8Case kIllFormed[] = {
    {"lone continuation byte", "\x80"},
    {"byte that never occurs", "\xFF"},
    {"overlong two bytes C0 80", "\xC0\x80"},
    {"overlong three bytes E0 80 80", "\xE0\x80\x80"},
    {"encoded surrogate ED A0 80", "\xED\xA0\x80"},
    {"above U+10FFFF, F4 90 80 80", "\xF4\x90\x80\x80"},
    {"lead F5", "\xF5\x80\x80\x80"},
    {"two-byte lead before ASCII", "\xC3"
                                   "A"},
    {"three-byte sequence cut short", "\xE4\xB8"
                                      "A"},
    {"four-byte sequence cut short", "\xF0\x9F\x98"
                                     "A"},
    {"four-byte lead before a lead", "\xF0\xF0\x9F\x98\x80"},
};

TEST(Streams, ReadLocatesIllFormedBytesByTheirOffsetInTheWholeStream) {
  for (const Utf8Case& c : kIllFormed) {
    for (std::size_t block = kSmallestBlock; block <= kLargestBlock; ++block) {
      for (std::size_t at = 0; at <= OffsetsFor(block); ++at) {
        const std::string bytes = Utf8Prefix(at) + std::string(c.bytes) + "z中";
        SCOPED_TRACE(std::string(c.name) + ", block " + std::to_string(block) + ", at byte " +
                     std::to_string(at));
        const Result<std::u16string> oracle = Utf8ToUtf16(bytes);
        ASSERT_FALSE(oracle);
        ASSERT_EQ(oracle.error().position, at); // the table itself is right
        const Result<std::u16string> read = Read(bytes, block);
        ASSERT_FALSE(read);
        EXPECT_EQ(read.error().code, ErrorCode::InvalidUtf8);
        EXPECT_EQ(read.error().position, at);
      }
    }
  }
}

// A stream that ends inside a sequence: the last block has nothing to complete it with.
TEST(Streams, ReadRefusesASequenceCutByTheEndOfTheStream) {
  constexpr std::string_view kCut[] = {"\xC3", "\xE4",     "\xE4\xB8",
                                       "\xF0", "\xF0\x9F", "\xF0\x9F\x98"};
  for (const std::string_view tail : kCut) {
    for (std::size_t block = kSmallestBlock; block <= kLargestBlock; ++block) {
      for (std::size_t at = 0; at <= OffsetsFor(block); ++at) {
        const std::string bytes = Utf8Prefix(at) + std::string(tail);
        SCOPED_TRACE(Hex(tail) + "block " + std::to_string(block) + ", at byte " +
                     std::to_string(at));
        const Result<std::u16string> read = Read(bytes, block);
        ASSERT_FALSE(read);
        EXPECT_EQ(read.error().code, ErrorCode::InvalidUtf8);
        EXPECT_EQ(read.error().position, at);
      }
    }
  }
}

TEST(Streams, ReadDropsAByteOrderMarkOnlyAtTheStart) {
  struct Case {
    std::string_view bytes;
    std::u16string_view text;
  };
  const Case cases[] = {
      {"\xEF\xBB\xBF"
       "abc",
       u"abc"},
      {"\xEF\xBB\xBF", u""},
      {"\xEF\xBB\xBF\xE4\xB8\xAD", u"中"},
      {"\xEF\xBB\xBF\xEF\xBB\xBF"
       "a",
       u"\uFEFFa"},
      {"a\xEF\xBB\xBF", u"a\uFEFF"},
      {"\xE4\xB8\xAD\xEF\xBB\xBF"
       "b",
       u"中\uFEFFb"},
      {"", u""},
  };
  for (const Case& c : cases) {
    for (std::size_t block = kSmallestBlock; block <= kLargestBlock; ++block) {
      SCOPED_TRACE(Hex(c.bytes) + "block " + std::to_string(block));
      const Result<std::u16string> read = Read(std::string(c.bytes), block);
      ASSERT_TRUE(read);
      EXPECT_EQ(*read, c.text);
    }
  }
}

// The mark is part of the stream: an error after it is counted from the stream's first byte.
TEST(Streams, ReadCountsTheByteOrderMarkInAnErrorsOffset) {
  for (std::size_t block = kSmallestBlock; block <= kLargestBlock; ++block) {
    SCOPED_TRACE("block " + std::to_string(block));
    const Result<std::u16string> read = Read("\xEF\xBB\xBF"
                                             "ab\xFF",
                                             block);
    ASSERT_FALSE(read);
    EXPECT_EQ(read.error().code, ErrorCode::InvalidUtf8);
    EXPECT_EQ(read.error().position, 5u);
  }
  const Result<std::u16string> cutMark = Read("\xEF\xBB", 1);
  ASSERT_FALSE(cutMark);
  EXPECT_EQ(cutMark.error().position, 0u);
}

/// Hands out its bytes, then fails the way a read error does: the stream catches the exception and
/// sets badbit.
class FailingReadBuffer : public std::streambuf {
public:
  explicit FailingReadBuffer(std::string bytes) : m_bytes(std::move(bytes)) {
    setg(m_bytes.data(), m_bytes.data(), m_bytes.data() + m_bytes.size());
  }

protected:
  int_type underflow() override { throw std::runtime_error("read failed"); }

private:
  std::string m_bytes;
};

TEST(Streams, ReadReportsAStreamThatCannotBeRead) {
  constexpr std::string_view kBefore[] = {"", "a", "abcdefghij", "中文\xF0\x9F"};
  for (const std::string_view before : kBefore) {
    for (std::size_t block = kSmallestBlock; block <= kLargestBlock; ++block) {
      SCOPED_TRACE(Hex(before) + "block " + std::to_string(block));
      FailingReadBuffer buffer{std::string(before)};
      std::istream in(&buffer);
      const Result<std::u16string> read = ReadUtf8(in, block);
      ASSERT_FALSE(read);
      EXPECT_EQ(read.error().code, ErrorCode::Unreadable);
      EXPECT_LE(read.error().position, before.size());
    }
  }
  std::istringstream alreadyBad("abc");
  alreadyBad.setstate(std::ios::badbit);
  const Result<std::u16string> read = ReadUtf8(alreadyBad);
  ASSERT_FALSE(read);
  EXPECT_EQ(read.error().code, ErrorCode::Unreadable);
}

void ExpectSameCut(const std::optional<CutAtNul>& run, const std::optional<CutAtNul>& text) {
  ASSERT_EQ(run.has_value(), text.has_value());
  if (text) {
    EXPECT_EQ(run->position, text->position);
    EXPECT_EQ(run->notShown, text->notShown);
  }
}

// UTF-8 passed through a block at a time against the whole-buffer run on the same bytes, for every
// operation that streams: random inputs of the pieces below, so that blocks cut sequences, a mark,
// U+0000 and ill-formed bytes at every offset; an error must name the same byte. And in every kind
// of charset, well-formed input against the window's run on the stream's text: the bytes of an
// operation that encodes its input are put into the charset block by block ("?" for what it
// lacks, MD5's own codes in GBK), and Base64 is read back by the charset's rule for the places of
// characters outside ASCII.
TEST(Streams, PassingUtf8ThroughInBlocksGivesWhatTheWholeInputGives) {
  // Well-formed first (among them Base64, "?", €, a Thai letter and Ŀ, whose code unit ends in the
  // byte of "?"), then ill-formed: a lone FF, a cut sequence, an encoded surrogate.
  constexpr std::string_view kNul("\0", 1);
  constexpr std::string_view kPieces[] = {"a",
                                          "z9",
                                          "\r\n",
                                          "\xC3\xA9",
                                          "\xE4\xB8\xAD",
                                          "\xF0\x9F\x98\x80",
                                          "\xEF\xBB\xBF",
                                          kNul,
                                          "1tDO",
                                          "Q",
                                          "xA==",
                                          "=",
                                          " ",
                                          "?",
                                          "\xE2\x82\xAC",
                                          "\xE0\xB8\x84",
                                          "\xC4\xBF",
                                          "\xFF",
                                          "\xE4\xB8\x61",
                                          "\xED\xA0\x80",
                                          "\xF0\x9F\x98"};
  constexpr std::size_t kWellFormedPieces = std::size(kPieces) - 4;
  constexpr Charset kCharsets[] = {Charset::Gbk,     Charset::Big5,        Charset::ShiftJis,
                                   Charset::Gb18030, Charset::Windows1252, Charset::Utf16Le};
  std::mt19937 random(4096);
  const auto pick = [&](std::size_t count) { return kPieces[random() % count]; };
  std::size_t streamed = 0;
  for (const Operation& operation : Operations()) {
    if (operation.streamOnBytes == nullptr)
      continue;
    ++streamed;
    for (int round = 0; round < testing::PropertyRounds(60); ++round) {
      std::string bytes(random() % 3 == 0 ? "\xEF\xBB\xBF" : "");
      // Up to three MD5 blocks, so that the digests' pieces also complete and span blocks.
      const bool wellFormed = random() % 4 != 0;
      for (std::size_t n = random() % 90; n > 0; --n)
        bytes += pick(wellFormed || random() % 16 != 0 ? kWellFormedPieces : std::size(kPieces));
      OperationOptions options{.upper = random() % 2 == 0, .charset = Charset::Utf8};
      for (const BoxRule rule : {BoxRule::Apply, BoxRule::Skip}) {
        const Result<BytesOutcome> whole = RunOnUtf8(operation, bytes, true, options, rule);
        for (const std::size_t block : {1, 2, 3, 4, 5, 7, 8, 64, 67}) {
          SCOPED_TRACE(std::string(operation.cliName) + ", block " + std::to_string(block) + ": " +
                       Hex(bytes));
          std::istringstream in(bytes);
          const Result<BytesOutcome> run = RunOnUtf8Stream(operation, in, options, rule, block);
          ASSERT_EQ(run.has_value(), whole.has_value());
          if (!whole) {
            EXPECT_EQ(run.error().code, whole.error().code);
            EXPECT_EQ(run.error().position, whole.error().position);
            continue;
          }
          EXPECT_EQ(run->text, whole->text);
          EXPECT_EQ(run->message.has_value(), whole->message.has_value());
          ExpectSameCut(run->inputCut, whole->inputCut);
          ExpectSameCut(run->resultCut, whole->resultCut);
        }
      }
      Result<std::u16string> text = Utf8ToUtf16(bytes);
      if (!text)
        continue;
      if (!text->empty() && text->front() == u'\uFEFF')
        text->erase(0, 1);
      for (const Charset charset : kCharsets) {
        options.charset = charset;
        for (const BoxRule rule : {BoxRule::Apply, BoxRule::Skip}) {
          const Outcome whole = RunOnBoxText(operation, *text, options, rule);
          for (const std::size_t block : {1, 3, 64}) {
            SCOPED_TRACE(std::string(operation.cliName) + " in " +
                         std::string(InfoOf(charset).name) + ", block " + std::to_string(block) +
                         ": " + Hex(bytes));
            std::istringstream in(bytes);
            const Result<BytesOutcome> run = RunOnUtf8Stream(operation, in, options, rule, block);
            ASSERT_TRUE(run);
            ASSERT_EQ(run->text.has_value(), whole.text.has_value());
            if (whole.text) {
              EXPECT_EQ(*run->text, Utf16ToUtf8(*whole.text));
            }
            EXPECT_EQ(run->message.has_value(), whole.message.has_value());
            EXPECT_EQ(run->questionMarks, whole.questionMarks);
            ExpectSameCut(run->inputCut, whole.inputCut);
            ExpectSameCut(run->resultCut, whole.resultCut);
          }
        }
      }
    }
  }
  EXPECT_GE(streamed, 7u);
}

struct Utf16Case {
  std::string_view name;
  std::u16string_view units;
};

// Well-formed pairs and, since a result written with --raw may hold them, lone surrogates.
constexpr Utf16Case kUnits[] = {
    {"é", u"\u00E9"},
    {"中", u"\u4E2D"},
    {"😀, a surrogate pair", u"\U0001F600"},
    {"two pairs", u"\U0001F600\U0010FFFF"},
    {"lone high surrogate", u"\xD83D"},
    {"lone low surrogate", u"\xDE00"},
    {"low then high", u"\xDE00\xD83D"},
    {"lone high before ASCII", u"\xD83D"
                               u"a"},
    {"lone low before a pair", u"\xDE00\U0001F600"},
};

TEST(Streams, WriteEncodesUnitsCutAtEveryOffsetAsTheWholeBufferEncoderDoes) {
  for (const Utf16Case& c : kUnits) {
    for (std::size_t block = kSmallestBlock; block <= kLargestBlock; ++block) {
      for (std::size_t at = 0; at <= OffsetsFor(block); ++at) {
        for (const std::u16string_view tail : {u"z", u""}) {
          const std::u16string text =
              Utf16Prefix(at) + std::u16string(c.units) + std::u16string(tail);
          SCOPED_TRACE(std::string(c.name) + ", block " + std::to_string(block) + ", at unit " +
                       std::to_string(at) + (tail.empty() ? ", at the end" : ""));
          EXPECT_EQ(Hex(Write(text, block)), Hex(Utf16ToUtf8(text)));
        }
      }
    }
  }
}

// When a block ended on a lone high surrogate, WriteUtf8 lengthened the block by the next unit
// without a look at it; if that unit was the high half of a pair, the pair was cut and came out as
// two U+FFFD instead of its character. Only a result with lone surrogates (--raw) meets it.
TEST(Streams, WriteKeepsAPairThatFollowsALoneHighSurrogateAtABlockEnd) {
  for (std::size_t block = kSmallestBlock; block <= kLargestBlock; ++block) {
    for (std::size_t at = 0; at <= OffsetsFor(block); ++at) {
      const std::u16string text = Utf16Prefix(at) + u"\xD83D\U0001F600z";
      SCOPED_TRACE("block " + std::to_string(block) + ", at unit " + std::to_string(at));
      EXPECT_EQ(Hex(Write(text, block)), Hex(Utf16ToUtf8(text)));
    }
  }
}

TEST(Streams, WriteOfGeneratedTextMatchesTheWholeBufferEncoderForEveryBlockSize) {
  std::mt19937 random(31);
  for (int round = 0; round < 20; ++round) {
    const std::u16string text = testing::GenerateGb2312Text(random, 40) + u"\U0001F600€é";
    for (std::size_t block = kSmallestBlock; block <= kLargestBlock; ++block) {
      SCOPED_TRACE("block " + std::to_string(block));
      EXPECT_EQ(Write(text, block), Utf16ToUtf8(text));
    }
  }
}

/// Takes `capacity` bytes, then refuses every further byte, as a full disk does. With
/// `failOnFlush`, it takes every byte and fails when they are flushed.
class FullDiskBuffer : public std::streambuf {
public:
  FullDiskBuffer(std::size_t capacity, bool failOnFlush)
      : m_capacity(capacity), m_failOnFlush(failOnFlush) {}

protected:
  std::streamsize xsputn(const char*, std::streamsize n) override {
    const auto taken = std::min<std::streamsize>(n, static_cast<std::streamsize>(m_capacity));
    m_capacity -= static_cast<std::size_t>(taken);
    return m_failOnFlush ? n : taken;
  }
  int_type overflow(int_type c) override {
    return xsputn(nullptr, 1) == 1 ? traits_type::not_eof(c) : traits_type::eof();
  }
  int sync() override { return m_failOnFlush ? -1 : 0; }

private:
  std::size_t m_capacity;
  bool m_failOnFlush;
};

TEST(Streams, WriteReportsAStreamThatRefusesTheBytes) {
  struct Case {
    std::size_t capacity;
    bool failOnFlush;
    std::u16string_view text;
  };
  const Case cases[] = {
      {0, false, u"a"},           {3, false, u"abcdefgh"}, {5, false, u"中文中文"},
      {4, false, u"\U0001F600z"}, {0, true, u"abc"},       {100, true, u"中文"},
  };
  for (const Case& c : cases) {
    for (std::size_t block = kSmallestBlock; block <= kLargestBlock; ++block) {
      SCOPED_TRACE(U8(c.text) + ", room for " + std::to_string(c.capacity) + " bytes" +
                   (c.failOnFlush ? ", failing on flush" : "") + ", block " +
                   std::to_string(block));
      FullDiskBuffer buffer(c.capacity, c.failOnFlush);
      std::ostream out(&buffer);
      const Result<void> written = WriteUtf8(out, c.text, block);
      ASSERT_FALSE(written);
      EXPECT_EQ(written.error().code, ErrorCode::Unwritable);
      EXPECT_LE(written.error().position, c.text.size());
    }
  }
  // Room for every byte: the same buffer lets the write through.
  FullDiskBuffer roomy(100, false);
  std::ostream out(&roomy);
  EXPECT_TRUE(WriteUtf8(out, u"中文", 1));
}

TEST(Streams, WindowLineBreaksAreCrLfWhateverTheInputUses) {
  struct Case {
    std::u16string_view in, out;
  };
  constexpr Case cases[] = {
      {u"", u""},
      {u"ab", u"ab"},
      {u"a\r\nb", u"a\r\nb"},
      {u"a\nb", u"a\r\nb"},
      {u"a\rb", u"a\r\nb"},
      {u"\n", u"\r\n"},
      {u"\r", u"\r\n"},
      {u"\n\r", u"\r\n\r\n"},   // a lone LF, then a lone CR
      {u"\r\r\n", u"\r\n\r\n"}, // a lone CR, then CR LF
      {u"\r\n\n", u"\r\n\r\n"}, // CR LF, then a lone LF
      {u"\n\n\n", u"\r\n\r\n\r\n"},
      {u"中\n文\r", u"中\r\n文\r\n"},
      {u"\r\n\r\n", u"\r\n\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Hex(Utf16ToUtf8(c.in)));
    EXPECT_EQ(WithWindowLineBreaks(c.in), c.out);
  }
}

TEST(Streams, WindowLineBreaksChangeNothingTheSecondTime) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> pick(0, 3);
  static constexpr char16_t kUnits[] = {u'\r', u'\n', u'a', u'中'};
  for (int round = 0; round < 200; ++round) {
    std::u16string text;
    for (int i = 0; i < 12; ++i)
      text.push_back(kUnits[pick(random)]);
    SCOPED_TRACE(Hex(Utf16ToUtf8(text)));
    const std::u16string once = WithWindowLineBreaks(text);
    EXPECT_EQ(WithWindowLineBreaks(once), once);
  }
}

} // namespace
} // namespace kelvaro::cli
