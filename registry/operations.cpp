#include "registry/operations.h"

#include "codec/chinese/gb_big5.h"
#include "codec/chinese/operations.h"
#include "codec/digest/md5.h"
#include "codec/digest/md5_base64.h"
#include "codec/escape/code_listing.h"
#include "codec/escape/percent_u.h"
#include "codec/text-encodings/base64.h"
#include "codec/text-encodings/hex_text.h"
#include "codec/utf8/mojibake.h"
#include "codec/utf8/url_encoding.h"
#include "codec/utf8/utf8_escape.h"
#include "net/host_lookup.h"

#include <exception>
#include <new>

namespace kelvaro {
namespace {

using enum Box;

// clang-format off
constexpr Operation kOperations[] = {
    {"url-encode", "CMDURLEN", "URLencode", Text1, Text2, false, "", "", "",
     "GBK bytes of Chinese characters and spaces as %XX escapes", Plain<URLEncode>},
    {"url-decode", "CMDRULDEL", "URLdecode", Text1, Text1, false, "", "", "url-encode",
     "%XX escapes of GBK bytes and + back to text (rewrites the input box)", Plain<URLDecode>},
    {"utf8-encode", "UTF8EN", "UTF8_encode", Text1, Text2, false, "", "", "",
     "every non-ASCII code unit as UTF-8 %XX escapes", Plain<UTF8Encode>},
    {"utf8-decode", "UTF8DEL", "UTF8_decode", Text1, Text2, false, "", "", "utf8-encode",
     "UTF-8 %XX escapes back to text", Plain<UTF8Decode>},
    {"code-list", "CMDASCII", "ASCII码值", Text1, Text2, false, "", "", "",
     "UTF-16 code units as four hex digits each, comma after each", Plain<UnicodeFun>},
    {"md5-base64", "CMDGETTIME", "MD5+BASE64", Text1, Text2, false, "", "", "",
     "MD5 over the characters' GBK codes, as Base64", Plain<digest::Md5Base64>},
    {"hex-encode", "cmd16", "字符转16进制", Text1, Text2, false, "", "", "",
     "GBK codes as four-character hex groups (O41O, D6D0, ODDO)", Plain<TextToHex>},
    {"hex-decode", "CMDFAN16", "16进制转字符", Text2, Text2, false, "", "", "hex-encode",
     "four-character hex groups back to text", Plain<HexToText>},
    {"base64-encode", "CMDBASE64", "base64encode", Text1, Text2, false, "", "", "",
     "Base64 of the text's GBK bytes", Plain<Base64Encode>},
    {"base64-decode", "CMD64DE", "base64decode", Text2, Text2, false, "", "", "base64-encode",
     "Base64 back to text through GBK; white space skipped", Plain<Base64Decode>},
    {"host-to-ip", "ERJINZHIBIG5", "域名转IP", Text1, Text2, false, "", "", "",
     "host name to its first IPv4 address", net::HostToIp},
    {"amount", "CMDJIANTITOFANTI", "数字转人民币", Text1, Text2, false, "", "", "",
     "money amount in Chinese capital numerals", AmountOperation},
    {"md5-16", "CMD5_16", "MD5_16", Text1, Text2, true, "", "", "",
     "MD5 of the GBK bytes, 16 hex digits (--upper for capitals)", digest::Md5Hex16Operation},
    {"md5-32", "CMD5_32", "MD5_32", Text1, Text2, true, "", "", "",
     "MD5 of the GBK bytes, 32 hex digits (--upper for capitals)", digest::Md5Hex32Operation},
    {"unicode-as-ansi", "CMDUNICODE", "vbUnicode", Text1, Text2, false, "", "", "",
     "UTF-16LE bytes of the text read as GBK", Plain<UnicodeBytesAsAnsi>},
    {"ansi-as-unicode", "CMDVBFORM", "vbFormUnicode", Text2, Text2, false, "", "", "unicode-as-ansi",
     "GBK bytes of the text read as UTF-16LE", Plain<AnsiBytesAsUnicode>},
    {"to-traditional", "CMDJIANTOFAN", "简体转繁体", Text1, Text2, false, "", "", "",
     "simplified Chinese to traditional", ToTraditionalOperation},
    {"to-simplified", "CMDFANTOJIAN", "繁体转简体", Text1, Text2, false, "", "", "to-traditional",
     "traditional Chinese to simplified", ToSimplifiedOperation},
    {"escape", "CMDESCAPE", "Unicode转换ASCII", Text1, Text2, false, "", "", "",
     "%XX and %uXXXX script escapes", Plain<vbs_escape>},
    {"unescape", "CMDENDEURL", "ASCII转换Unicode", Text1, Text2, false, "", "", "escape",
     "%XX and %uXXXX script escapes back to text", Plain<vbs_unescape>},
    {"mojibake", "UTF8乱码", "UTF8乱码", Text1, Text2, false, "", "", "",
     "UTF-8 bytes of the full-width text misread as GBK", Plain<MakeUtf8Mojibake>},
    {"mojibake-repair", "CMDFANTI", "UTF8乱码转正常", Text2, Text2, false, "", "", "mojibake",
     "GBK-misread UTF-8 back to text", Plain<RepairUtf8Mojibake>},
    {"gb-to-big5", "CMDGBBIG5", "GB-BIG5", Text1, Text2, false, "1", "2", "",
     "GB2312 codes to BIG5 codes, shown through GBK", Plain<GBToBig5>},
    {"big5-to-gb", "CMDGBBIG5", "GB-BIG5", Text1, Text2, false, "2", "1", "gb-to-big5",
     "BIG5 codes to GB2312 codes, shown through GBK", Plain<Big5ToGB>},
};
// clang-format on

} // namespace

std::span<const Operation> Operations() { return kOperations; }

const Operation* FindOperation(std::string_view cliName) {
  for (const Operation& operation : kOperations) {
    if (operation.cliName == cliName)
      return &operation;
  }
  return nullptr;
}

Outcome RunOperation(const Operation& operation, std::u16string_view input,
                     const OperationOptions& options) {
  if (operation.run == nullptr)
    return Outcome::Refused({u"not available yet", 0, {}});
  try {
    return operation.run(input, options);
  } catch (const std::bad_alloc&) {
    return Outcome::Refused({u"内存不足，无法转换这段文字。", kMessageStyleCritical, {}});
  } catch (const std::exception&) {
    return Outcome::Refused({u"转换失败：这段文字无法转换。", kMessageStyleCritical, {}});
  }
}

} // namespace kelvaro
