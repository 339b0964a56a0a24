#include "app/controls.h"

namespace kelvaro::app {
namespace {

using enum ControlKind;

// The captions are short and cryptic on purpose (they are what users of the original know); the
// tooltips say what each button does and which box it reads and writes.
// clang-format off
constexpr ControlSpec kControls[] = {
    {"Text1", TextBox, "这里输入转换的内容\r\n", 480, 120, 8055, 1935, 0, "", kMultiLine},
    {"Text2", TextBox, "", 480, 2160, 8055, 1935, 1, "", kMultiLine},
    {"Label1", Label, "要转换内容", 120, 240, 255, 975, 2, "", kVerticalCaption},
    {"Label2", Label, "结果", 120, 2880, 255, 735, 3, "", kVerticalCaption},
    {"Command1", Button, "上下值互换", 50, 1560, 375, 1095, 4,
     "交换上框和下框的文字", kVerticalCaption},
    {"CMDURLEN", Button, "URLencode", 240, 4320, 1215, 375, 5,
     "把上框文字中的汉字和空格按 GBK 字节写成 %XX，结果写入下框", 0, "url-encode"},
    {"CMDRULDEL", Button, "URLdecode", 1560, 4320, 1215, 375, 6,
     "把上框中的 %XX 和 + 按 GBK 解码回文字，结果写回上框", 0, "url-decode"},
    {"UTF8EN", Button, "UTF8_encode", 2880, 4320, 1335, 375, 7,
     "把上框中的非 ASCII 字符写成 UTF-8 字节的 %XX，结果写入下框", 0, "utf8-encode"},
    // The original gave this button the encoder's caption; users could not tell the two apart.
    {"UTF8DEL", Button, "UTF8_decode", 4320, 4320, 1335, 375, 8,
     "把上框中 UTF-8 字节的 %XX 解码回文字，结果写入下框", 0, "utf8-decode"},
    {"CMDASCII", Button, "ASCII码值", 5760, 4320, 1335, 375, 9,
     "列出上框每个 UTF-16 码元的 4 位十六进制值，结果写入下框", 0, "code-list"},
    {"CMDGETTIME", Button, "MD5+BASE64", 7200, 4320, 1335, 375, 10,
     "计算上框文字字符码的 MD5，以 Base64 写入下框", 0, "md5-base64"},
    {"cmd16", Button, "字符转16进制", 240, 4800, 1215, 375, 11,
     "把上框文字的 GBK 码写成每字 4 位的十六进制，结果写入下框", 0, "hex-encode"},
    {"CMDFAN16", Button, "16进制转字符", 1560, 4800, 1215, 375, 12,
     "把下框中 4 位一组的十六进制还原为文字，结果写回下框", 0, "hex-decode"},
    {"CMDBASE64", Button, "base64encode", 2880, 4800, 1335, 375, 13,
     "把上框的文字按 GBK 字节编码为 Base64，结果写入下框", 0, "base64-encode"},
    {"CMD64DE", Button, "base64decode", 4320, 4800, 1335, 375, 14,
     "把下框的 Base64 按 GBK 字节解码为文字，结果写回下框", 0, "base64-decode"},
    {"ERJINZHIBIG5", Button, "域名转IP", 5760, 4800, 1335, 375, 15,
     "查询上框中域名的 IPv4 地址，结果写入下框", 0, "host-to-ip"},
    {"CMDJIANTITOFANTI", Button, "数字转人民币", 7200, 4800, 1335, 375, 16,
     "把上框中的金额写成人民币大写，结果写入下框", 0, "amount"},
    {"Check1", CheckBox, "大写", 240, 5280, 735, 255, 17, "", 0},
    {"CMD5_16", Button, "MD5_16", 1080, 5280, 975, 375, 18,
     "计算上框文字 GBK 字节的 MD5，以 16 位十六进制写入下框；勾选“大写”时用大写字母", 0, "md5-16"},
    {"CMD5_32", Button, "MD5_32", 2160, 5280, 1095, 375, 19,
     "计算上框文字 GBK 字节的 MD5，以 32 位十六进制写入下框；勾选“大写”时用大写字母", 0, "md5-32"},
    {"CMDUNICODE", Button, "vbUnicode", 3360, 5280, 1215, 375, 20,
     "把上框文字的 UTF-16 字节当作 GBK 读出，结果写入下框", 0, "unicode-as-ansi"},
    {"CMDVBFORM", Button, "vbFormUnicode", 4680, 5280, 1335, 375, 21,
     "把下框文字的 GBK 字节当作 UTF-16 读出，结果写回下框", 0, "ansi-as-unicode"},
    {"CMDJIANTOFAN", Button, "简体转繁体", 6120, 5280, 1095, 375, 22,
     "把上框的简体中文转为繁体，结果写入下框", 0, "to-traditional"},
    {"CMDFANTOJIAN", Button, "繁体转简体", 7200, 5280, 1335, 375, 23,
     "把上框的繁体中文转为简体，结果写入下框", 0, "to-simplified"},
    {"CMDESCAPE", Button, "Unicode转换ASCII", 240, 5760, 1695, 375, 24,
     "把上框文字写成 %XX 和 %uXXXX 转义，结果写入下框", 0, "escape"},
    {"CMDENDEURL", Button, "ASCII转换Unicode", 2040, 5760, 1935, 375, 25,
     "把上框中的 %XX 和 %uXXXX 转义还原为文字，结果写入下框", 0, "unescape"},
    {"UTF8乱码", Button, "UTF8乱码", 4080, 5760, 1215, 375, 26,
     "把上框文字的 UTF-8 字节按 GBK 读成乱码，结果写入下框", 0, "mojibake"},
    {"CMDFANTI", Button, "UTF8乱码转正常", 5400, 5760, 1815, 375, 27,
     "把下框中按 GBK 误读的 UTF-8 乱码还原为正常文字，结果写回下框", 0, "mojibake-repair"},
    {"CMDGBBIG5", Button, "GB-BIG5", 7320, 5760, 1215, 375, 28,
     "在 GB2312 与 BIG5 编码之间转换上框文字，结果写入下框；每按一次换一个方向，第一次为 GB→BIG5", 0, "gb-to-big5", "big5-to-gb"},
    {"Text3", TextBox, "Kelvaro — 中文编码转换工具", 240, 6360, 3375, 270, 29, "", 0},
    {"Label3", Label, "替换内容", 3840, 6360, 855, 255, 30, "", 0},
    {"TxtBeiTiHuan", TextBox, "", 4680, 6360, 1215, 270, 31, "", 0},
    {"TxtTiHuan", TextBox, "", 6000, 6360, 1335, 270, 32, "", 0},
    {"CMDTIHUAN", Button, "替换", 7440, 6360, 1095, 255, 33,
     "在上框中把左边小框的文字全部替换为右边小框的文字，结果写回上框", 0},
};
// clang-format on

} // namespace

std::span<const ControlSpec> Controls() { return kControls; }

} // namespace kelvaro::app
