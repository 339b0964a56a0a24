#include "codec/escape/html_entities.h"
#include "codec/escape/percent_u.h"
#include "codec/escape/unicode_escape.h"
#include "codec/recognise/recogniser.h"
#include "codec/text-encodings/base64.h"
#include "codec/text-encodings/hex_text.h"
#include "codec/utf8/url_encoding.h"
#include "codec/utf8/utf8_escape.h"
#include "registry/operations.h"
#include "support/generate.h"
#include "support/text.h"
#include "text/box_rule.h"
#include "text/charset.h"
#include "text/hex.h"
#include "text/utf.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace kelvaro::testing {
namespace {

using namespace std::string_view_literals;
using recognise::Candidate;
using recognise::RecogniseText;
using recognise::Step;
using recognise::StepKind;

std::string ChainOf(const Candidate& candidate) {
  std::string chain;
  for (const Step& step : candidate.steps) {
    if (!chain.empty())
      chain += ',';
    chain += recognise::StepName(step);
  }
  return chain;
}

struct Garbled {
  std::u16string_view garbled, original;
  std::string_view chain; // applied left to right to the original
};

// Garbled with Python's codecs (tools/make_recognition_samples.py apply_chain), an implementation
// of the charsets and notations that owes nothing to ours; every example of the feature's request
// is among them.
constexpr Garbled kRecovers[] = {
    {u"涓\uE15F枃", u"中文", "utf8-as-gbk"},
    {u"浣犲ソ", u"你好", "utf8-as-gbk"},
    {u"瀹氬埗", u"定制", "utf8-as-gbk"},
    {u"ä¸\u00ADæ–‡", u"中文", "utf8-as-windows-1252"},
    {u"ÖÐÎÄ", u"中文", "gbk-as-windows-1252"},
    {u"穦某癘魁", u"會議記錄", "big5-as-gbk"},
    {u"頗祜暮翹", u"会议记录", "gbk-as-big5"},
    {u"»¡©ú®Ñ.txt", u"說明書.txt", "big5-as-windows-1252"},
    {u"ç®\u0080å\u008E\u0086", u"简历", "utf8-as-latin1"}, // U+0080 has no windows-1252 byte
    // Written by ISO-8859-1, read the same in windows-1252, whose name the reading keeps.
    {u"ÕÕÆ¬.jpg", u"照片.jpg", "gbk-as-windows-1252"},
    {u"¸ê®Æ§¨", u"資料夾", "big5-as-windows-1252"},
    {u"æ¶“î…Ÿæžƒ", u"中文", "utf8-as-gbk,utf8-as-windows-1252"},
    {u"Ã¦â€“Â°Ã¥Â»ÂºÃ¦â€“â€¡Ã¤Â»Â¶Ã¥Â¤Â¹", u"新建文件夹",
     "utf8-as-windows-1252,utf8-as-windows-1252"},
    {u"ÃƒÂ¦Ã¢â‚¬â€œÃ¢â‚¬Â¡ÃƒÂ¤Ã‚Â»Ã‚Â¶", u"文件",
     "utf8-as-windows-1252,utf8-as-windows-1252,utf8-as-windows-1252"},
    {u"%E4%B8%AD", u"中", "url-encode:utf8"},
    {u"%E4%B8%AD%E6%96%87", u"中文", "url-encode:utf8"},
    {u"%D2%F4%C0%D6", u"音乐", "url-encode:gbk"},
    {u"%B8%EA%AE%C6", u"資料", "url-encode:big5"},
    {u"%25E4%25B8%25AD", u"中", "url-encode:utf8,url-encode:utf8"},
    {u"%25D6%25D0%25CE%25C4", u"中文", "url-encode:gbk,url-encode:utf8"},
    {u"%u9879%u76EE%u8BA1%u5212", u"项目计划", "escape"},
    {u"\\u4e2d", u"中", "unicode-escape"},
    {u"\\u4e2d\\u6587", u"中文", "unicode-escape"},
    {u"&#20013;", u"中", "html-encode"},
    {u"&#x4E2D;&#x6587;", u"中文", "html-hex"},
    {u"5Lit5paH", u"中文", "base64-encode:utf8"},
    {u"1tDOxA==", u"中文", "base64-encode:gbk"},
    {u"pKSk5Q==", u"中文", "base64-encode:big5"},
    {u"D6D0CEC4ODDOO41O", u"中文\r\nA", "hex-encode"},
    {u"%E9%8F%81%E7%89%88%E5%B5%81", u"数据", "utf8-as-gbk,url-encode:utf8"},
    {u"%C3%A4%C2%B8%C2%AD%C3%A6%E2%80%93%E2%80%A1", u"中文",
     "utf8-as-windows-1252,url-encode:utf8"},
    {u"\\u6d93\\ue15f\\u6783", u"中文", "utf8-as-gbk,unicode-escape"},
    {u"&#28051;&#57695;&#26499;", u"中文", "utf8-as-gbk,html-encode"},
    {u"5raT7oWf5p6D", u"中文", "utf8-as-gbk,base64-encode:utf8"},
    // The misreadings that real tools write besides those: every example of the later request.
    {u"╓╨╬─.txt", u"中文.txt", "gbk-as-cp437"},
    {u"蛻ｰ譛滓慮髣ｴ", u"到期时间", "utf8-as-shift_jis"},
    {u"Р›Р°С‚С‹С€СЃРєР°СЏ", u"Латышская", "utf8-as-windows-1251"},
    {u"Ð›Ð°Ñ‚Ñ‹ÑˆÑ\u0081ÐºÐ°Ñ\u008F", u"Латышская", "utf8-as-windows-1252"},
    {u"ÄŒeskÃ½ jazyk", u"Český jazyk", "utf8-as-windows-1252"},
    {u"ZaĹĽĂłĹ‚Ä‡ gÄ™Ĺ›lÄ… jaĹşĹ„", u"Zażółć gęślą jaźń", "utf8-as-windows-1250"},
    // Windows-1250 and ISO-8859-2 hold the same letters at other bytes, so each reads the other's
    // misreading back as other letters (ş for ż, å for ü, ī for č, ʝ for ʻ); the reading whose
    // letters its own page lacks, or that leaves C1 controls unexplained, is the wrong one.
    {u"naleĹĽy", u"należy", "utf8-as-windows-1250"},
    {u"naleĹźy", u"należy", "utf8-as-iso-8859-2"},
    {u"FĂĽggetlen", u"Független", "utf8-as-windows-1250"},
    {u"IvanÄŤna Gorica", u"Ivančna Gorica", "utf8-as-windows-1250"},
    {u"dhuĘ»l-qiĘ»dah", u"dhuʻl-qiʻdah", "utf8-as-windows-1250"},
    {u"dhuĘťl-qiĘťdah", u"dhuʻl-qiʻdah", "utf8-as-iso-8859-2"},
    {u"Äľudia", u"ľudia", "utf8-as-windows-1250"},
    {u"Äžudia", u"ľudia", "utf8-as-iso-8859-2"},
    {u"KrakĂłw Ĺ\u009ArĂłdmieĹ\u009Bcie", u"Kraków Śródmieście", "utf8-as-iso-8859-2"},
    {u"Ξ•Ξ»Ξ»Ξ·Ξ½ΞΉΞΊΞ¬", u"Ελληνικά", "utf8-as-windows-1253"},
    {u"TÃ¼rkÃ§e", u"Türkçe", "utf8-as-windows-1252"},
    // Å and ³ are the same bytes in windows-1257: the first name tried is kept.
    {u"LietuviÅ³ kalba", u"Lietuvių kalba", "utf8-as-windows-1252"},
    {u"fr√®res", u"frères", "utf8-as-macintosh"},
    {u"í\u00A0½í¸\u008D", u"\xD83D\xDE0D", "utf8-surrogates-as-windows-1252"},
};

TEST(RecogniseText, UndoesEveryChainOfTheExamples) {
  for (const Garbled& c : kRecovers) {
    SCOPED_TRACE(U8(c.garbled));
    const std::vector<Candidate> candidates = RecogniseText(c.garbled);
    ASSERT_FALSE(candidates.empty());
    EXPECT_EQ(U8(candidates.front().text), U8(c.original));
    EXPECT_EQ(ChainOf(candidates.front()), c.chain);
    EXPECT_FALSE(candidates.front().partial);
  }
}

// Where garbling lost bytes (the last byte of an odd UTF-8 tail has no GBK partner), the best
// reading is the partial repair: what survived, and one U+FFFD for each stretch that did not.
constexpr Garbled kRepairsPartly[] = {
    {u"鏂板缓鏂囦欢澶\uFFFD", u"新建文件\uFFFD", "utf8-as-gbk"},
    {u"浠婂ぉ澶╂皵寰堝ソ锛屾垜浠\uE100幓鍏\uE100洯鏁ｆ\uE11E鍚с€\uFFFD",
     u"今天天气很好，我们去公园散步吧\uFFFD", "utf8-as-gbk"},
    {u"娑擃厽鏋\uFFFD", u"中\uFFFD", "utf8-as-gbk,utf8-as-gbk"},
    {u"濡炪倕婀卞ú鎵\uE1BD媼閳ュ啿鐏\uFFFD", u"项目计\uFFFD",
     "utf8-as-gbk,utf8-as-gbk,utf8-as-gbk"},
    {u"%u93C2%u56E6%u6B22%u935A%uFFFD", u"文件\uFFFD", "utf8-as-gbk,escape"},
};

TEST(RecogniseText, RepairsLossyTextPartlyAndSaysSo) {
  for (const Garbled& c : kRepairsPartly) {
    SCOPED_TRACE(U8(c.garbled));
    const std::vector<Candidate> candidates = RecogniseText(c.garbled);
    EXPECT_EQ(U8(candidates.front().text), U8(c.original));
    EXPECT_EQ(ChainOf(candidates.front()), c.chain);
    EXPECT_TRUE(candidates.front().partial);
  }
}

// Regression: a misreading undone around a lost stretch once counted the whole cut character as
// lost too, so one more wrong layer that destroyed the rest looked cheaper than the right reading.
TEST(RecogniseText, NothingSurvivesGivesNoRepair) {
  // 中 as UTF-8 read as GBK: E4 B8 is 涓, and AD lost its partner; nothing of 中 is left.
  EXPECT_TRUE(RecogniseText(u"涓\uFFFD").front().steps.empty());
}

// What was lost before is named, each run of 锟斤拷, 烫 or 屯 stands as one U+FFFD, and whatever
// else can be repaired is.
TEST(RecogniseText, NamesLostDataInsteadOfGuessingIt) {
  const struct {
    std::u16string_view in, out;
    recognise::Lost lost;
    std::string_view chain;
  } cases[] = {
      {u"上传锟斤拷锟斤拷失败", u"上传\uFFFD失败", recognise::Lost::ReplacementAsGbk, ""},
      {u"烫烫烫烫烫烫", u"\uFFFD", recognise::Lost::StackFill, ""},
      {u"name=屯屯屯屯;", u"name=\uFFFD;", recognise::Lost::HeapFill, ""},
      {u"文件??.txt", u"文件??.txt", recognise::Lost::QuestionMarks, ""},
      {u"上传\uFFFD\uFFFD失败", u"上传\uFFFD\uFFFD失败", recognise::Lost::Replacements, ""},
      {u"浣犲ソ锟斤拷", u"你好\uFFFD", recognise::Lost::ReplacementAsGbk, "utf8-as-gbk"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(U8(c.in));
    const Candidate best = RecogniseText(c.in).front();
    EXPECT_EQ(U8(best.text), U8(c.out));
    EXPECT_EQ(best.lost, c.lost);
    EXPECT_EQ(ChainOf(best), c.chain);
  }
  for (const std::u16string_view clean : {u"烫烫的"sv, u"What??"sv, u"a ?? b"sv})
    EXPECT_EQ(RecogniseText(clean).front().lost, recognise::Lost::Nothing) << U8(clean);
}

// A garbled or escaped name inside a clean sentence is repaired, and the sentence kept as it is.
TEST(RecogniseText, RepairsAStretchAndLeavesTheRestAlone) {
  const struct {
    std::u16string_view in, out;
    std::string_view chain;
    bool stretch;
  } cases[] = {
      {u"上传 闄堟瘏.txt 失败", u"上传 陈毅.txt 失败", "utf8-as-gbk", true},
      {u"上传 鐓х墖.jpg 失败", u"上传 照片.jpg 失败", "utf8-as-gbk", true},
      {u"文件 %E4%B8%AD%E6%96%87.txt 已删除", u"文件 中文.txt 已删除", "url-encode:utf8", false},
      {u"Fichier « fr√®res.txt » introuvable", u"Fichier « frères.txt » introuvable",
       "utf8-as-macintosh", true},
      // Glued to the clean characters without a blank: the stretch ends where the repair stops
      // reading better (失's bytes CA A7 read as UTF-8 too, as ʧ).
      {u"上传闄堟瘏.txt失败", u"上传陈毅.txt失败", "utf8-as-gbk", true},
      {u"打开鏂板缓鏂囦欢澶规椂出错", u"打开新建文件夹时出错", "utf8-as-gbk", true},
      {u"请把浣犲ソ发给我，谢谢", u"请把你好发给我，谢谢", "utf8-as-gbk", true},
      {u"ä¸\u00ADæ–‡中", u"中文中", "utf8-as-windows-1252", true},
      {u"文件：æ–°å»ºæ–‡ä»¶å¤¹（已删除）", u"文件：新建文件夹（已删除）", "utf8-as-windows-1252",
       true},
      {u"上传 鐓х墖.jpg失败，闄堟瘏.txt成功", u"上传 照片.jpg失败，陈毅.txt成功", "utf8-as-gbk",
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(U8(c.in));
    const Candidate best = RecogniseText(c.in).front();
    EXPECT_EQ(U8(best.text), U8(c.out));
    EXPECT_EQ(ChainOf(best), c.chain);
    EXPECT_EQ(best.stretch, c.stretch);
  }
}

// CP437's byte E6 is the micro sign U+00B5 in Windows' table and the Greek mu U+03BC in ICU's: a
// name read as CP437 (E6 is the lead byte of 文) comes back whichever it holds, whole or inside a
// sentence.
TEST(RecogniseText, TakesEitherMuOfCp437) {
  for (const std::u16string_view mu : {u"\u00B5"sv, u"\u03BC"sv}) {
    const std::u16string name = u"Σ╕¡" + std::u16string(mu) + u"ûç.txt";
    SCOPED_TRACE(U8(name));
    for (const auto& [in, out] :
         {std::pair{name, std::u16string(u"中文.txt")},
          {u"文件" + name + u"已删除", std::u16string(u"文件中文.txt已删除")}}) {
      const Candidate best = RecogniseText(in).front();
      EXPECT_EQ(U8(best.text), U8(out));
      EXPECT_EQ(ChainOf(best), "utf8-as-cp437");
    }
  }
}

constexpr std::u16string_view kClean[] = {
    u"",
    u"这是一个伸手不见五指的黑夜。",
    u"中文",
    u"定制",
    u"繁體中文測試",
    u"我爱Python和C++。",
    u"The quick brown fox jumps over the lazy dog.",
    u"hello",
    u"test",
    u"DEAD",
    u"BEEF",
    u"CAFE",
    u"1234",
    u"20240305",
    u"2024-03-05 14:30:00",
    u"2024年3月5日",
    u"README.md",
    u"C:\\Users\\Public\\Documents\\report.docx",
    u"/usr/share/doc/python3-jieba/copyright",
    u"if (count > 0) { return items[count - 1]; }",
    u"printf(\"%d%%\\n\", n);",
    u"100%",
    u"R&D",
    u"a+b=c",
    u"Café au lait, naïve façade, Straße",
    u"résumé",
    u"ÄÖÜ",
    u"日本語のテキスト",
    u"한국어 텍스트",
    u"\xD83D\xDE00表情",
    u"报告.docx",
    // Clean text in other languages that a model of Chinese alone once "repaired".
    u"CAFÉ® latte",
    u"Tickets 3×£20 each",
    u"Équateur",
    u"LLVM",
    u"CAFEBABE",
    u"deadbeef",
    u"Erreur de la fonction « pull ».",
    u"ÇÖZÜNÜRLÜK",
    u"istek üzerine",
    u"Привет, как дела?",
    u"Ελληνικά γράμματα",
    u"Zażółć gęślą jaźń",
    u"Příliš žluťoučký kůň",
    u"Árvíztűrő tükörfúrógép",
    u"a+b=c+d",
    u"What??",
    u"烫烫的",
};

TEST(RecogniseText, LeavesCleanTextAlone) {
  for (const std::u16string_view text : kClean) {
    SCOPED_TRACE(U8(text));
    const std::vector<Candidate> candidates = RecogniseText(text);
    ASSERT_FALSE(candidates.empty());
    EXPECT_TRUE(candidates.front().steps.empty())
        << ChainOf(candidates.front()) << " gives " << U8(candidates.front().text);
    EXPECT_EQ(candidates.front().text, text);
  }
}

// ---- strictness: every reading, garbled again by its chain, gives the input exactly -------------

// The bytes of the text in the charset, or nothing when it lacks a character.
std::optional<std::string> BytesOf(std::u16string_view text, Charset charset) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!CanEncode(text, i, charset))
      return std::nullopt;
  }
  return EncodeText(text, charset);
}

// Bytes that must be well-formed in the charset, decoded; nothing when they are not.
std::optional<std::u16string> Decoded(std::string_view bytes, Charset charset) {
  Result<std::u16string> text = DecodeBytesStrictly(bytes, charset);
  return text ? std::optional(std::move(*text)) : std::nullopt;
}

// A plain reference of each step, forwards, in the form the sample builder writes; nothing where
// the step cannot write the text.
std::optional<std::u16string> Apply(const Step& step, std::u16string_view text) {
  std::u16string out;
  switch (step.kind) {
  case StepKind::Misread: {
    std::optional<std::string> bytes = BytesOf(text, step.charset);
    if (!bytes)
      return std::nullopt;
    return Decoded(*bytes, step.readAs);
  }
  case StepKind::Url: {
    std::optional<std::string> bytes = BytesOf(text, step.charset);
    if (!bytes)
      return std::nullopt;
    for (const char c : *bytes) {
      const auto byte = static_cast<std::uint8_t>(c);
      if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
          (byte >= '0' && byte <= '9') || byte == '-' || byte == '_' || byte == '.' || byte == '~')
        out.push_back(byte);
      else
        AppendPercentByte(out, byte);
    }
    return out;
  }
  case StepKind::PercentU:
    return ScriptEscape(text);
  case StepKind::UnicodeEscape:
    return UnicodeEscape(text);
  case StepKind::HtmlDecimal:
  case StepKind::HtmlHex:
    for (std::size_t i = 0; i < text.size(); ++i) {
      char32_t c = text[i];
      if (c < 0x80) {
        out.push_back(static_cast<char16_t>(c));
        continue;
      }
      if (IsHighSurrogate(c) && i + 1 < text.size())
        c = CombineSurrogates(c, text[++i]);
      char reference[16];
      std::snprintf(reference, sizeof reference,
                    step.kind == StepKind::HtmlHex ? "&#x%X;" : "&#%u;", static_cast<unsigned>(c));
      out += U16(reference);
    }
    return out;
  case StepKind::Base64: {
    std::optional<std::string> bytes = BytesOf(text, step.charset);
    if (!bytes)
      return std::nullopt;
    return Base64Encode(text, step.charset);
  }
  case StepKind::HexGroups:
    return TextToHex(text);
  case StepKind::UrlForm: {
    // As Url, whose %20 a form writes as "+".
    const std::optional<std::u16string> escaped = Apply({StepKind::Url, step.charset}, text);
    if (!escaped)
      return std::nullopt;
    for (std::size_t i = 0; i < escaped->size(); ++i) {
      const bool space = escaped->compare(i, 3, u"%20") == 0;
      out.push_back(space ? u'+' : (*escaped)[i]);
      i += space ? 2 : 0;
    }
    return out;
  }
  case StepKind::SurrogatesMisread: {
    // Each code unit on its own, a surrogate half as the three bytes of its number.
    std::string bytes;
    for (const char16_t unit : text) {
      if (unit < 0x80) {
        bytes.push_back(static_cast<char>(unit));
      } else if (unit < 0x800) {
        bytes.push_back(static_cast<char>(0xC0 | unit >> 6));
        bytes.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
      } else {
        bytes.push_back(static_cast<char>(0xE0 | unit >> 12));
        bytes.push_back(static_cast<char>(0x80 | (unit >> 6 & 0x3F)));
        bytes.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
      }
    }
    return Decoded(bytes, step.readAs);
  }
  case StepKind::HtmlNamed:
  case StepKind::CEscape:
  case StepKind::ByteHex:
  case StepKind::QuotedPrintable:
  case StepKind::MimeHeader:
  case StepKind::Punycode:
    break;
  }
  return std::nullopt;
}

// The notations their decoders read in several forms (\344 and \xe4, upper and lower hex), which
// garbling again cannot be expected to give back as pasted: their own tests hold the round trips.
bool ReadsSeveralForms(const Step& step) {
  return step.kind == StepKind::CEscape || step.kind == StepKind::ByteHex ||
         step.kind == StepKind::QuotedPrintable || step.kind == StepKind::MimeHeader ||
         step.kind == StepKind::Punycode;
}

TEST(RecogniseText, EveryReadingGarbledAgainGivesTheInput) {
  std::size_t checked = 0;
  for (const Garbled& c : kRecovers) {
    for (const Candidate& candidate : RecogniseText(c.garbled)) {
      SCOPED_TRACE(U8(c.garbled) + " read as " + U8(candidate.text) + " by " + ChainOf(candidate));
      if (std::ranges::any_of(candidate.steps, ReadsSeveralForms))
        continue;
      std::u16string text = candidate.text;
      for (const Step& step : candidate.steps) {
        std::optional<std::u16string> applied = Apply(step, text);
        ASSERT_TRUE(applied);
        text = std::move(*applied);
      }
      EXPECT_EQ(U8(text), U8(c.garbled));
      EXPECT_FALSE(candidate.partial);
      ++checked;
    }
  }
  EXPECT_GT(checked, std::size(kRecovers) * 2);
}

TEST(RecogniseText, NoReadingAddsReplacementCharactersOrQuestionMarks) {
  for (const Garbled& c : kRecovers) {
    for (const Candidate& candidate : RecogniseText(c.garbled)) {
      SCOPED_TRACE(U8(c.garbled) + " read as " + U8(candidate.text));
      EXPECT_EQ(candidate.text.find(u'\xFFFD'), std::u16string::npos);
      EXPECT_EQ(std::count(candidate.text.begin(), candidate.text.end(), u'?'),
                std::count(c.garbled.begin(), c.garbled.end(), u'?'));
    }
  }
}

// Each step reads only what it writes: malformed or cut escapes and encodings are no reading of it.
constexpr Step kUtf8Url{StepKind::Url, Charset::Utf8};
constexpr Step kUtf8Base64{StepKind::Base64, Charset::Utf8};
constexpr Step kGbkBase64{StepKind::Base64, Charset::Gbk};

constexpr struct {
  std::u16string_view text;
  Step step;
} kNotThisStep[] = {
    {u"%E4%B8", kUtf8Url},                   // a UTF-8 sequence cut short
    {u"%E4%B8%4", kUtf8Url},                 // the last escape cut
    {u"5Lit5paH=", kUtf8Base64},             // padding after a full group
    {u"5Lit5pa", kUtf8Base64},               // leftover bits that are not zero
    {u"5Lit 5paH", kUtf8Base64},             // a space inside Base64
    {u"AAAA", kGbkBase64},                   // zero bytes: no text holds U+0000
    {u"d6d0cec4", {StepKind::HexGroups}},    // the hex groups are written in capitals
    {u"4E2D", {StepKind::HexGroups}},        // 4E is no lead byte of a GBK character
    {u"&#55296;", {StepKind::HtmlDecimal}},  // a reference to a surrogate
    {u"&#20013", {StepKind::HtmlDecimal}},   // a reference without its ";"
    {u"&notit;", {StepKind::HtmlNamed}},     // only a legacy prefix of a name
    {u"\\ud800", {StepKind::UnicodeEscape}}, // a lone surrogate
    {u"%uD800%u0041", {StepKind::PercentU}}, // a lone surrogate
    // 中 has no windows-1252 byte, so the whole text is no misreading of UTF-8.
    {u"ä¸\u00ADæ–‡中", {StepKind::Misread, Charset::Utf8, Charset::Windows1252}},
};

TEST(RecogniseText, MalformedInputIsNoReadingOfTheStep) {
  for (const auto& c : kNotThisStep) {
    SCOPED_TRACE(U8(c.text) + " as " + recognise::StepName(c.step));
    for (const Candidate& candidate : RecogniseText(c.text)) {
      // A reading of a stretch applies the step to that stretch only (ä¸­æ–‡ before 中).
      if (candidate.stretch)
        continue;
      EXPECT_EQ(std::find(candidate.steps.begin(), candidate.steps.end(), c.step),
                candidate.steps.end())
          << U8(candidate.text);
    }
  }
}

TEST(RecogniseText, ReadsNamedReferencesAndMixedEscapes) {
  const struct {
    std::u16string_view in, out;
    std::string_view chain;
  } cases[] = {
      {u"&lt;p&gt;&amp;", u"<p>&", "html-named"},
      {u"&lt;&#20013;&gt;", u"<中>", "html-encode"},
      {u"%u4E2D%20%u6587", u"中 文", "escape"},
      {u"\\uD83D\\uDE00\\u8868\\u60C5", u"\xD83D\xDE00表情", "unicode-escape"},
      {u"&#x1F600;&#x8868;&#x60C5;", u"\xD83D\xDE00表情", "html-hex"},
      {u"中%E6%96%87", u"中文", "url-encode:utf8"},
      {u"5Lit5paH\r\n5Lit5paH", u"中文中文", "base64-encode:utf8"}, // line breaks between lines
      {u"5Lit5paH5Lit", u"中文中", "base64-encode:utf8"},
      {u"q=%E4%B8%AD%E6%96%87+%E6%96%87%E4%BB%B6", u"q=中文 文件", "url-form:utf8"},
      // A page showed à's C3 A0 as Ã and a no-break space, and the copy made it a space.
      {u"VoilÃ  une idÃ©e", u"Voilà une idée", "utf8-as-windows-1252"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(U8(c.in));
    const Candidate best = RecogniseText(c.in).front();
    EXPECT_EQ(U8(best.text), U8(c.out));
    EXPECT_EQ(ChainOf(best), c.chain);
  }
}

// ---- ranking ------------------------------------------------------------------------------------

TEST(RecogniseText, RanksBestFirstWithSharesThatAddUp) {
  for (const Garbled& c : kRecovers) {
    SCOPED_TRACE(U8(c.garbled));
    const std::vector<Candidate> candidates = RecogniseText(c.garbled);
    EXPECT_LE(candidates.size(), recognise::kMaxCandidates);
    double sum = 0;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
      sum += candidates[i].share;
      EXPECT_GE(candidates[i].share, 0.0);
      EXPECT_LE(candidates[i].share, 1.0);
      if (i > 0) {
        EXPECT_LE(candidates[i - 1].bits, candidates[i].bits);
        EXPECT_GE(candidates[i - 1].share, candidates[i].share);
        EXPECT_NE(candidates[i - 1].text, candidates[i].text);
      }
    }
    EXPECT_NEAR(sum, 1.0, 1e-9);
  }
}

TEST(RecogniseText, TheTextAsItIsIsACandidate) {
  const std::vector<Candidate> candidates = RecogniseText(u"ÖÐÎÄ");
  const auto asIs = std::find_if(candidates.begin(), candidates.end(),
                                 [](const Candidate& c) { return c.steps.empty(); });
  ASSERT_NE(asIs, candidates.end());
  EXPECT_EQ(asIs->text, u"ÖÐÎÄ");
  EXPECT_GT(asIs->bits, candidates.front().bits);
}

// %25 is "%" in every charset: the outer layer reads the same as url-gbk or url-big5, and the
// reading keeps the first name tried, with the fewest steps.
TEST(RecogniseText, FewerStepsAndTheFirstNameWinTies) {
  const std::vector<Candidate> candidates = RecogniseText(u"%25E4%25B8%25AD");
  EXPECT_EQ(ChainOf(candidates.front()), "url-encode:utf8,url-encode:utf8");
  for (const Candidate& c : candidates) {
    EXPECT_EQ(std::count_if(candidates.begin(), candidates.end(),
                            [&](const Candidate& other) { return other.text == c.text; }),
              1);
  }
}

TEST(StepName, NamesTheVocabulary) {
  const struct {
    Step step;
    std::string_view name;
  } cases[] = {
      {{StepKind::Misread, Charset::Utf8, Charset::Gbk}, "utf8-as-gbk"},
      {{StepKind::Misread, Charset::Big5, Charset::Iso8859_1}, "big5-as-latin1"},
      {{StepKind::Misread, Charset::Gbk, Charset::Windows1252}, "gbk-as-windows-1252"},
      {{StepKind::Url, Charset::Gbk}, "url-encode:gbk"},
      {{StepKind::Url, Charset::ShiftJis}, "url-encode:shift_jis"},
      {{StepKind::PercentU}, "escape"},
      {{StepKind::UnicodeEscape}, "unicode-escape"},
      {{StepKind::HtmlDecimal}, "html-encode"},
      {{StepKind::HtmlHex}, "html-hex"},
      {{StepKind::HtmlNamed}, "html-named"},
      {{StepKind::Base64, Charset::Big5}, "base64-encode:big5"},
      {{StepKind::Base64, Charset::Utf16Le}, "base64-encode:utf-16le"},
      {{StepKind::HexGroups}, "hex-encode"},
      {{StepKind::UrlForm, Charset::Utf8}, "url-form:utf8"},
      {{StepKind::CEscape, Charset::Utf8}, "c-escape:utf8"},
      {{StepKind::ByteHex, Charset::Gbk}, "byte-hex-encode:gbk"},
      {{StepKind::QuotedPrintable, Charset::Utf8}, "quoted-printable-encode:utf8"},
      {{StepKind::MimeHeader, Charset::Big5}, "mime-header-encode:big5"},
      {{StepKind::Punycode}, "punycode-encode"},
      {{StepKind::SurrogatesMisread, Charset::Utf8, Charset::Windows1252},
       "utf8-surrogates-as-windows-1252"},
      {{StepKind::Misread, Charset::Gbk, Charset::Cp437}, "gbk-as-cp437"},
      {{StepKind::Misread, Charset::Utf8, Charset::Macintosh}, "utf8-as-macintosh"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(recognise::StepName(c.step), c.name);
}

// A step that an operation writes is named by that operation, as the registry finds it, and by a
// charset that --charset takes; the name of any other step claims no operation.
TEST(StepName, NamesTheOperationThatWritesTheStep) {
  // Every kind: SurrogatesMisread is the last.
  for (int k = 0; k <= static_cast<int>(StepKind::SurrogatesMisread); ++k) {
    const auto kind = static_cast<StepKind>(k);
    for (const CharsetInfo& info : Charsets()) {
      const std::string name = recognise::StepName({kind, info.charset, info.charset});
      SCOPED_TRACE(name);
      const std::size_t colon = name.find(':');
      const std::string head = name.substr(0, colon);
      if (const std::optional<std::string_view> operation = recognise::StepOperation(kind)) {
        EXPECT_EQ(head, *operation);
        EXPECT_TRUE(FindOperation(head));
      } else {
        EXPECT_FALSE(FindOperation(head));
      }
      const std::size_t as = name.rfind("-as-");
      const std::string charset = colon != std::string::npos ? name.substr(colon + 1)
                                  : as != std::string::npos  ? name.substr(as + 4)
                                                             : std::string();
      if (!charset.empty()) {
        EXPECT_EQ(CharsetNamed(charset), info.charset);
      }
    }
  }
}

// ---- the chosen charset and long text -----------------------------------------------------------

TEST(RecogniseText, TriesTheChosenCharsetToo) {
  const std::u16string japanese = U16("日本語のテキスト");
  const std::u16string base64 = Base64Encode(japanese, Charset::ShiftJis);
  EXPECT_NE(RecogniseText(base64).front().text, japanese); // GBK, the default, has no such step
  const Candidate best = RecogniseText(base64, Charset::ShiftJis).front();
  EXPECT_EQ(U8(best.text), U8(japanese));
  EXPECT_EQ(ChainOf(best), "base64-encode:shift_jis");
}

std::u16string LongProse(std::size_t units) {
  const std::u16string sentence = U16("这是一个伸手不见五指的黑夜，我们在路上慢慢地走着。");
  std::u16string text;
  while (text.size() < units)
    text += sentence;
  return text;
}

// A long text is searched on its prefix, and the chain found there is undone on all of it.
TEST(RecogniseText, UndoesALongTextWhole) {
  const std::u16string original = LongProse(40000);
  const std::u16string garbled =
      DecodeBytes(EncodeText(original, Charset::Utf8), Charset::Windows1252);
  const Candidate best = RecogniseText(garbled).front();
  EXPECT_EQ(ChainOf(best), "utf8-as-windows-1252");
  EXPECT_TRUE(best.text == original);
}

// auto never shows the text as it is, so it leaves it out rather than copy a long paste; the
// readings and their order stay as they are.
TEST(RecogniseText, LeavesTheInputOutWhenAsked) {
  const std::u16string longText = LongProse(20000);
  for (const std::u16string& text :
       {std::u16string(u"ÖÐÎÄ"), longText,
        DecodeBytes(EncodeText(longText, Charset::Utf8), Charset::Windows1252)}) {
    const std::vector<Candidate> copied = RecogniseText(text);
    const std::vector<Candidate> leftOut =
        RecogniseText(text, Charset::Gbk, recognise::InputText::LeftOut);
    ASSERT_EQ(leftOut.size(), copied.size());
    for (std::size_t i = 0; i < copied.size(); ++i) {
      EXPECT_EQ(ChainOf(leftOut[i]), ChainOf(copied[i]));
      EXPECT_TRUE(leftOut[i].text == (copied[i].steps.empty() ? u"" : copied[i].text));
      if (copied[i].steps.empty()) {
        EXPECT_TRUE(copied[i].text == text);
      }
    }
  }
}

// Regression: a chain that held on the searched prefix was once taken for the whole text.
TEST(RecogniseText, AChainThatFailsAfterThePrefixIsDropped) {
  std::u16string garbled =
      DecodeBytes(EncodeText(LongProse(20000), Charset::Utf8), Charset::Windows1252);
  garbled += u"中"; // no windows-1252 byte: the text as a whole is no misreading of UTF-8
  for (const Candidate& candidate : RecogniseText(garbled))
    EXPECT_TRUE(candidate.steps.empty()) << ChainOf(candidate);
}

TEST(RecogniseText, LongTextLosingBytesLateIsRepairedPartly) {
  // Ends where the last UTF-8 byte read as GBK has no partner (where that is depends on the
  // single-byte 80 inside, so try one or two more characters).
  std::u16string original = LongProse(20000), garbled;
  for (int more = 0; more < 3; ++more, original += u"中") {
    garbled = DecodeBytes(EncodeText(original, Charset::Utf8), Charset::Gbk);
    if (garbled.back() == u'\xFFFD')
      break;
  }
  ASSERT_EQ(garbled.back(), u'\xFFFD');
  ASSERT_EQ(std::count(garbled.begin(), garbled.end(), u'\xFFFD'), 1);
  const Candidate best = RecogniseText(garbled).front();
  EXPECT_EQ(ChainOf(best), "utf8-as-gbk");
  EXPECT_TRUE(best.partial);
  original.back() = u'\xFFFD';
  EXPECT_TRUE(best.text == original);
}

// ---- what our own encoders write comes back
// ------------------------------------------------------

TEST(RecogniseText, TakesBackWhatTheEncodersWrite) {
  struct Encoder {
    std::string_view name;
    std::u16string (*encode)(std::u16string_view);
  };
  const Encoder encoders[] = {
      {"url-encode", [](std::u16string_view t) { return URLEncode(t); }},
      {"utf8-encode", [](std::u16string_view t) { return UTF8Encode(t); }},
      {"escape", [](std::u16string_view t) { return vbs_escape(t); }},
      {"unicode-escape", [](std::u16string_view t) { return UnicodeEscape(t); }},
      {"html-encode", [](std::u16string_view t) { return HtmlEncode(t); }},
      {"base64-encode", [](std::u16string_view t) { return Base64Encode(t); }},
      {"base64-encode utf-8", [](std::u16string_view t) { return Base64Encode(t, Charset::Utf8); }},
      {"hex-encode", [](std::u16string_view t) { return TextToHex(t); }},
      {"utf8-as-gbk",
       [](std::u16string_view t) {
         return DecodeBytes(EncodeText(t, Charset::Utf8), Charset::Gbk);
       }},
      {"utf8-as-windows-1252",
       [](std::u16string_view t) {
         return DecodeBytes(EncodeText(t, Charset::Utf8), Charset::Windows1252);
       }},
  };
  std::mt19937 random(17);
  const int rounds = PropertyRounds(40);
  for (const Encoder& encoder : encoders) {
    int found = 0, best = 0, tried = 0;
    for (int round = 0; round < rounds; ++round) {
      const std::u16string text = GenerateGb2312Text(random, 2 + random() % 20, TextMix::HanziOnly);
      const std::u16string encoded = encoder.encode(text);
      if (encoded.find(u'\xFFFD') != std::u16string::npos)
        continue; // the mojibake lost bytes
      ++tried;
      const std::vector<Candidate> candidates = RecogniseText(encoded);
      found += std::any_of(candidates.begin(), candidates.end(),
                           [&](const Candidate& c) { return c.text == text; });
      best += candidates.front().text == text;
    }
    SCOPED_TRACE(std::string(encoder.name));
    EXPECT_EQ(found, tried); // strictly reversible: always among the readings
    EXPECT_GE(best, tried * 9 / 10);
    EXPECT_GT(tried, rounds / 4);
  }
}

// ---- the codec's strict forms, which the recogniser reads with ---------------------------------

TEST(StrictDecoders, ReadWhatTheEncodersWrite) {
  std::mt19937 random(25);
  const int rounds = PropertyRounds(60);
  for (int round = 0; round < rounds; ++round) {
    const std::u16string text = GenerateGb2312Text(random, 1 + random() % 20, TextMix::HanziOnly);
    SCOPED_TRACE(U8(text));
    const std::string utf8 = EncodeText(text, Charset::Utf8);
    EXPECT_EQ(Base64DecodeBytes(Base64Encode(text, Charset::Utf8)), utf8);
    EXPECT_EQ(URLDecodeBytes(URLEncode(text, Charset::Utf8), Charset::Utf8), utf8);
    EXPECT_EQ(HexGroupsToBytes(TextToHex(text)), EncodeText(text, Charset::Gbk));
  }
}

TEST(StrictDecoders, RefuseWhatNoEncoderWrites) {
  for (const std::u16string_view text : {u"5Lit5paH="sv, u"5Lit5pa"sv, u"5Lit 5paH"sv, u""sv,
                                         u"5L=t"sv, u"5Lit5paH===="sv, u"中文"sv}) {
    EXPECT_FALSE(Base64DecodeBytes(text)) << U8(text);
  }
  for (const std::u16string_view text : {u"d6d0"sv, u"4E2D"sv, u"D6D"sv, u"O81O"sv, u""sv})
    EXPECT_FALSE(HexGroupsToBytes(text)) << U8(text);
  EXPECT_EQ(HexGroupsToBytes(u"ODDOO41OD6D0"), std::string("\r\nA\xD6\xD0"));
  EXPECT_FALSE(URLDecodeBytes(u"no escape", Charset::Utf8));
  EXPECT_FALSE(URLDecodeBytes(u"%E4%B8%AD\x0E01", Charset::Gbk)); // Thai has no GBK bytes
  EXPECT_EQ(URLDecodeBytes(u"a+b%20c%", Charset::Utf8, true), "a b c%");
  EXPECT_EQ(URLDecodeBytes(u"a+b%20c", Charset::Utf8), "a+b c");
}

TEST(StrictDecoders, ReadOneNumericReference) {
  const struct {
    std::u16string_view text;
    std::size_t at;
    char32_t value;
    std::size_t length;
    bool hex;
  } kRead[] = {{u"&#20013;", 0, 0x4E2D, 8, false},
               {u"a&#x1F600;b", 1, 0x1F600, 9, true},
               {u"&#X4e2d;", 0, 0x4E2D, 8, true},
               {u"&#00000065;", 0, 0x41, 11, false}};
  for (const auto& c : kRead) {
    const std::optional<NumericReference> ref = NumericReferenceAt(c.text, c.at);
    ASSERT_TRUE(ref) << U8(c.text);
    EXPECT_EQ(ref->value, c.value);
    EXPECT_EQ(ref->length, c.length);
    EXPECT_EQ(ref->hex, c.hex);
  }
  for (const std::u16string_view text : {u"&#20013"sv, u"&#55296;"sv, u"&#0;"sv, u"&#x110000;"sv,
                                         u"&#;"sv, u"&amp;"sv, u"&#000000065;"sv, u"x&#65;"sv})
    EXPECT_FALSE(NumericReferenceAt(text, 0)) << U8(text);
}

// ---- the evaluation sample ----------------------------------------------------------------------

// A row of an evaluation set (tools/make_recognition_samples.py).
struct Sample {
  std::string kind, chain;
  bool lossless = false;
  std::u16string text, original;
};

std::vector<Sample> ReadSamples(const std::string& path) {
  std::vector<Sample> samples;
  std::ifstream file(path);
  for (std::string line; std::getline(file, line);) {
    if (line.empty() || line.front() == '#')
      continue;
    const std::vector<std::string> f = SplitTabs(line);
    if (f.size() >= 6)
      samples.push_back({f[0], f[1], f[2] == "yes", Unescape(f[4]), Unescape(f[5])});
  }
  return samples;
}

// Whether a partial repair agrees with the original: the pieces between its U+FFFD stand in the
// original in order, the first at its start and the last at its end.
bool AgreesWith(std::u16string_view repair, std::u16string_view original) {
  std::size_t at = 0, start = 0;
  for (std::size_t i = 0; i <= repair.size(); ++i) {
    if (i < repair.size() && repair[i] != u'\xFFFD')
      continue;
    const std::u16string_view piece = repair.substr(start, i - start);
    if (start == 0) {
      if (!original.starts_with(piece))
        return false;
      at = piece.size();
    } else if (i == repair.size()) {
      if (original.size() < at + piece.size() || !original.ends_with(piece))
        return false;
    } else {
      at = original.find(piece, at);
      if (at == std::u16string_view::npos)
        return false;
      at += piece.size();
    }
    start = i + 1;
  }
  return true;
}

struct Tally {
  int right = 0, all = 0;
  [[nodiscard]] double Share() const { return all == 0 ? 1.0 : double(right) / all; }
};

struct Figures {
  std::map<std::string, Tally> byChain, lossyByChain;
  Tally lossless, longOnes, shortOnes, clean, lossy;
};

// Exact top-1 recovery of the lossless samples (overall, 12 characters or more, shorter), the
// clean texts kept as they are, and the lossy samples whose repair is partial and agrees.
Figures Measure(const std::vector<Sample>& samples, bool print) {
  Figures f;
  for (const Sample& s : samples) {
    const Candidate best = RecogniseText(s.text).front();
    if (s.kind != "garbled") {
      ++f.clean.all;
      f.clean.right += best.steps.empty();
      if (print && !best.steps.empty())
        std::printf("  false repair (%s): %s -> %s by %s\n", s.kind.c_str(), U8(s.text).c_str(),
                    U8(best.text).c_str(), ChainOf(best).c_str());
      continue;
    }
    if (!s.lossless) {
      const bool agrees = best.partial && AgreesWith(best.text, s.original);
      for (Tally* t : {&f.lossy, &f.lossyByChain[s.chain]}) {
        ++t->all;
        t->right += agrees;
      }
      continue;
    }
    const bool right = best.text == s.original;
    if (print && !right)
      std::printf("  missed %s: %s -> %s by %s\n", s.chain.c_str(), U8(s.original).c_str(),
                  U8(best.text).c_str(), ChainOf(best).c_str());
    for (Tally* t :
         {&f.byChain[s.chain], &f.lossless, s.original.size() >= 12 ? &f.longOnes : &f.shortOnes}) {
      ++t->all;
      t->right += right;
    }
  }
  return f;
}

// Floors a little below what the sample measures (100 % top-1, no false repair, all lossy
// repairs partial and agreeing), so that a regression fails while small changes of the model
// that trade one sample do not.
TEST(RecognitionSample, RecoversTheSampleAboveItsFloors) {
  const std::vector<Sample> samples =
      ReadSamples(std::string(KELVARO_CASES_DIR) + "/recognition/recognition_sample.tsv");
  ASSERT_GT(samples.size(), 200u);
  const Figures f = Measure(samples, true);
  EXPECT_GT(f.lossless.all, 150);
  EXPECT_GE(f.lossless.Share(), 0.97);
  EXPECT_GE(f.longOnes.Share(), 0.98);
  EXPECT_GE(f.shortOnes.Share(), 0.95);
  EXPECT_GT(f.clean.all, 60);
  EXPECT_GE(f.clean.Share(), 0.985);
  EXPECT_GT(f.lossy.all, 10);
  EXPECT_GE(f.lossy.Share(), 0.8);
}

// The later request's languages and chains (tools/make_language_samples.py --sample): CLDR's names
// in fourteen languages and jieba's sentences, garbled as real tools garble them (every European
// code page, Shift_JIS, EUC-KR, CP437, git's and Python's escapes, mail headers, hex, punycode, a
// word in a sentence, between blanks or glued to its neighbours). It measures 100 % top-1 on
// every chain, and no clean text in any language changed.
TEST(RecognitionSample, RecoversTheLanguagesSampleAboveItsFloors) {
  const std::vector<Sample> samples =
      ReadSamples(std::string(KELVARO_CASES_DIR) + "/recognition/languages_sample.tsv");
  ASSERT_GT(samples.size(), 400u);
  const Figures f = Measure(samples, true);
  EXPECT_GT(f.lossless.all, 240);
  EXPECT_GE(f.lossless.Share(), 0.98);
  for (const auto& [chain, tally] : f.byChain) {
    SCOPED_TRACE(chain);
    EXPECT_GE(tally.Share(), tally.all >= 5 ? 0.9 : 0.5);
  }
  EXPECT_GT(f.clean.all, 150);
  EXPECT_EQ(f.clean.right, f.clean.all);
  EXPECT_GE(f.lossy.Share(), 0.8);
}

// KELVARO_RECOGNITION_SET=set.tsv (tools/make_recognition_samples.py SOURCES --out set.tsv) prints
// the figures of the full evaluation set, per chain.
TEST(RecognitionSample, MeasureTheFullSet) {
  const char* path = std::getenv("KELVARO_RECOGNITION_SET");
  if (path == nullptr)
    GTEST_SKIP() << "set KELVARO_RECOGNITION_SET to measure the full evaluation set";
  const Figures f = Measure(ReadSamples(path), true);
  std::printf("%-62s %7s %5s %12s\n", "chain", "top-1", "of", "lossy agree");
  std::map<std::string, int> chains;
  for (const auto& [chain, t] : f.byChain)
    chains[chain];
  for (const auto& [chain, t] : f.lossyByChain)
    chains[chain];
  for (const auto& [chain, unused] : chains) {
    const Tally t = f.byChain.count(chain) ? f.byChain.at(chain) : Tally{};
    const Tally l = f.lossyByChain.count(chain) ? f.lossyByChain.at(chain) : Tally{};
    std::printf("%-62s %6.1f%% %5d %5.1f%% of %d\n", chain.c_str(), 100 * t.Share(), t.all,
                100 * l.Share(), l.all);
  }
  std::printf("lossless top-1 %.2f%% of %d; 12+ characters %.2f%% of %d; shorter %.2f%% of %d\n",
              100 * f.lossless.Share(), f.lossless.all, 100 * f.longOnes.Share(), f.longOnes.all,
              100 * f.shortOnes.Share(), f.shortOnes.all);
  std::printf("clean texts changed %.2f%% of %d; lossy repaired partly and agreeing %.2f%% of %d\n",
              100 * (1 - f.clean.Share()), f.clean.all, 100 * f.lossy.Share(), f.lossy.all);
}

// ---- through the registry: auto and detect ------------------------------------------------------

const Operation& Row(std::string_view name) { return *FindOperation(name); }

TEST(AutoOperation, GivesTheBestReadingWithItsStepsInWords) {
  const Outcome outcome = RunOnBoxText(Row("auto"), u"浣犲ソ", {});
  ASSERT_TRUE(outcome.text);
  EXPECT_EQ(*outcome.text, u"你好");
  ASSERT_TRUE(outcome.message);
  EXPECT_EQ(U8(outcome.message->text), "UTF-8 被当作 GBK 读取，已还原");
  EXPECT_EQ(outcome.message->style, MessageStyle::StatusNote);
  ASSERT_FALSE(outcome.alternatives.empty());
  EXPECT_LE(outcome.alternatives.size(), recognise::kMaxCandidates - 1);
  for (const Alternative& alternative : outcome.alternatives) {
    EXPECT_NE(alternative.text, *outcome.text);
    EXPECT_TRUE(alternative.words.ends_with(u"，已还原")) << U8(alternative.words);
  }
}

TEST(AutoOperation, WordsSeveralStepsAndPartialRepairs) {
  const struct {
    std::u16string_view in;
    std::string_view words;
  } cases[] = {
      {u"æ¶“î…Ÿæžƒ", "先 UTF-8 被当作 GBK 读取，再 UTF-8 被当作 Windows-1252 读取，已还原"},
      {u"%25D6%25D0%25CE%25C4", "先 GBK 字节被写成 %XX，再 UTF-8 字节被写成 %XX，已还原"},
      {u"5raT7oWf5p6D", "先 UTF-8 被当作 GBK 读取，再 UTF-8 字节被写成 Base64，已还原"},
      {u"&#20013;", "文字被写成 HTML 十进制字符引用，已还原"},
      {u"D6D0", "文字被写成十六进制码（每字四位），已还原"},
      {u"鏂板缓鏂囦欢澶\uFFFD",
       "UTF-8 被当作 GBK 读取，已部分还原：丢失的字节无法找回，以 \uFFFD 标出"},
      {u"╓╨╬─.txt", "GBK 被当作 CP437 读取，已还原"},
      {u"q=%E4%B8%AD+%E6%96%87", "UTF-8 字节被写成表单编码（%XX，空格为 +），已还原"},
      {u"上传 鐓х墖.jpg 失败", "文中一段：UTF-8 被当作 GBK 读取，已还原"},
      {u"上传锟斤拷失败",
       "锟斤拷是 U+FFFD 的 UTF-8 字节被当作 GBK 读取：原来的文字在此之前已丢失，无法找回"},
      {u"烫烫烫烫", "烫烫烫是未写入的内存（0xCC）被当作 GBK 读取：这里本来就没有文字，无法找回"},
      {u"浣犲ソ锟斤拷",
       "UTF-8 被当作 GBK 读取，已部分还原：丢失的字节无法找回，以 \uFFFD 标出；"
       "锟斤拷是 U+FFFD 的 UTF-8 字节被当作 GBK 读取：原来的文字在此之前已丢失，无法找回"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(U8(c.in));
    const Outcome outcome = RunOnBoxText(Row("auto"), std::u16string(c.in), {});
    ASSERT_TRUE(outcome.message);
    EXPECT_EQ(U8(outcome.message->text), c.words);
  }
}

TEST(AutoOperation, PlainTextIsRefusedWithTheStatusNote) {
  for (const std::u16string_view text : {u"中文"sv, u"hello"sv, u""sv}) {
    const Outcome outcome = RunOnBoxText(Row("auto"), std::u16string(text), {});
    EXPECT_TRUE(outcome.refused());
    ASSERT_TRUE(outcome.message);
    EXPECT_EQ(outcome.message->text, MessageFor(ErrorCode::NothingRecognised).text);
    EXPECT_EQ(outcome.message->style, MessageStyle::StatusNote);
    EXPECT_TRUE(outcome.alternatives.empty());
  }
}

// The boxes keep Ö Ð Î Ä in GBK, so auto sees them; the cut at U+0000 stays, and is told.
TEST(AutoOperation, ReadsThePastedTextAndKeepsOnlyTheCut) {
  EXPECT_EQ(*RunOnBoxText(Row("auto"), u"ÖÐÎÄ", {}).text, u"中文");
  const Outcome cut = RunOnBoxText(Row("auto"), std::u16string(u"ÖÐÎÄ\0%E4%B8%AD", 14), {});
  EXPECT_EQ(*cut.text, u"中文");
  ASSERT_TRUE(cut.inputCut);
  EXPECT_EQ(cut.inputCut->position, 5u);
  EXPECT_EQ(cut.inputCut->notShown, 9u);
  EXPECT_TRUE(!Row("auto").encodesInput && !Row("auto").commandLineOnly);
  // The box shows a character GBK lacks as itself.
  const Outcome outcome = RunOnBoxText(Row("auto"), u"%E0%B8%81%E4%B8%AD", {});
  EXPECT_EQ(*outcome.text, u"ก中");
  EXPECT_EQ(outcome.questionMarks, 0u);
  for (const Alternative& alternative : outcome.alternatives)
    EXPECT_EQ(ApplyTextBoxRule(alternative.text), alternative.text);
}

TEST(DetectOperation, PrintsTheReadingsAsJsonLinesBestFirst) {
  const Operation& detect = Row("detect");
  EXPECT_TRUE(detect.commandLineOnly && !detect.encodesInput);
  const Outcome outcome = RunOnBoxText(detect, u"ÖÐÎÄ", {});
  ASSERT_TRUE(outcome.text);
  EXPECT_FALSE(outcome.message);
  const std::string report = U8(*outcome.text);
  EXPECT_TRUE(report.starts_with(
      "{\"steps\": [\"gbk-as-windows-1252\"], \"score\": 0.9999, \"text\": \"中文\"}\n"))
      << report;
  EXPECT_NE(report.find("{\"steps\": [], \"score\": 0, \"text\": \"ÖÐÎÄ\"}\n"), std::string::npos)
      << report; // the report keeps what GBK lacks: no box rule on it
  const auto lines = std::count(report.begin(), report.end(), '\n');
  EXPECT_GE(lines, 2);
  EXPECT_LE(lines, 5);
}

TEST(DetectOperation, EscapesTheTextAsJsonRequires) {
  const Outcome outcome =
      RunOnBoxText(Row("detect"), std::u16string(u"a\"b\\c\td\x01\xDC00\xD83D\xDE00"), {},
                   BoxRule::Skip); // a lone surrogate reaches it only without the box rule
  EXPECT_EQ(U8(*outcome.text), "{\"steps\": [], \"score\": 1, \"text\": "
                               "\"a\\\"b\\\\c\\td\\u0001\\uDC00\xF0\x9F\x98\x80\"}\n");
  EXPECT_NE(
      U8(*RunOnBoxText(Row("detect"), u"鏂板缓鏂囦欢澶\uFFFD", {}).text).find("\"partial\": true"),
      std::string::npos);
}

TEST(DetectOperation, NamesTheLaterStepsWhatWasLostAndStretches) {
  const auto report = [](std::u16string_view text) {
    return U8(*RunOnBoxText(Row("detect"), std::u16string(text), {}).text);
  };
  EXPECT_TRUE(report(u"╓╨╬─.txt").starts_with("{\"steps\": [\"gbk-as-cp437\"]"))
      << report(u"╓╨╬─.txt");
  EXPECT_NE(report(u"上传锟斤拷失败").find("\"lost\": \"replacement-as-gbk\""), std::string::npos);
  EXPECT_NE(report(u"上传 鐓х墖.jpg 失败").find("\"stretch\": true"), std::string::npos);
}

} // namespace
} // namespace kelvaro::testing
