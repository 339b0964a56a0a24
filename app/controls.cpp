#include "app/controls.h"

#include <QtGlobal>
#include <algorithm>

namespace kelvaro::app {
namespace {

using enum ControlKind;

// The captions are short and cryptic on purpose (they are what users of the original know); the
// tooltips say what each button does and which box it reads and writes. Tooltips and placeholders
// are marked for translation (the context is kControlsContext); captions never are.
// clang-format off
constexpr ControlSpec kControls[] = {
    {.name = "Text1", .kind = TextBox, .caption = "这里输入转换的内容\r\n",
     .left = 480, .top = 120, .width = 8055, .height = 1935, .tabIndex = 0,
     .flags = kMultiLine, .anchor = Anchor::UpperBox},
    {.name = "Text2", .kind = TextBox, .caption = "",
     .left = 480, .top = 2160, .width = 8055, .height = 1935, .tabIndex = 1,
     .flags = kMultiLine, .anchor = Anchor::LowerBox},
    {.name = "Label1", .kind = Label, .caption = "要转换内容",
     .left = 120, .top = 240, .width = 255, .height = 975, .tabIndex = 2,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "上框：要转换的内容（输入、粘贴，或把文本文件拖进来）"),
     .flags = kVerticalCaption, .anchor = Anchor::Fixed},
    {.name = "Label2", .kind = Label, .caption = "结果",
     .left = 120, .top = 2880, .width = 255, .height = 735, .tabIndex = 3,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "下框：转换的结果"),
     .flags = kVerticalCaption, .anchor = Anchor::WithLowerBox},
    {.name = "Command1", .kind = Button, .caption = "上下值互换",
     .left = 50, .top = 1560, .width = 375, .height = 1095, .tabIndex = 4,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "交换上框和下框的文字"),
     .flags = kVerticalCaption, .anchor = Anchor::WithLowerBox},
    {.name = "CMDURLEN", .kind = Button, .caption = "URLencode",
     .left = 240, .top = 4320, .width = 1215, .height = 375, .tabIndex = 5,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "把上框文字中的汉字和空格按 %1 字节写成 %XX，结果写入下框"),
     .operation = "url-encode"},
    {.name = "CMDRULDEL", .kind = Button, .caption = "URLdecode",
     .left = 1560, .top = 4320, .width = 1215, .height = 375, .tabIndex = 6,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "把上框中的 %XX 和 + 按 %1 字节解码回文字，结果写回上框"),
     .operation = "url-decode"},
    {.name = "UTF8EN", .kind = Button, .caption = "UTF8_encode",
     .left = 2880, .top = 4320, .width = 1335, .height = 375, .tabIndex = 7,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "把上框中的非 ASCII 字符写成 UTF-8 字节的 %XX，结果写入下框"),
     .operation = "utf8-encode"},
    // The original gave this button the encoder's caption; users could not tell the two apart.
    {.name = "UTF8DEL", .kind = Button, .caption = "UTF8_decode",
     .left = 4320, .top = 4320, .width = 1335, .height = 375, .tabIndex = 8,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "把上框中 UTF-8 字节的 %XX 解码回文字，结果写入下框"),
     .operation = "utf8-decode"},
    {.name = "CMDASCII", .kind = Button, .caption = "ASCII码值",
     .left = 5760, .top = 4320, .width = 1335, .height = 375, .tabIndex = 9,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "列出上框每个 UTF-16 码元的 4 位十六进制值（%1 无法表示的字符先成为 ?），结果写入下框"),
     .operation = "code-list"},
    {.name = "CMDGETTIME", .kind = Button, .caption = "MD5+BASE64",
     .left = 7200, .top = 4320, .width = 1335, .height = 375, .tabIndex = 10,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "计算上框文字 GBK 字符码的 MD5，以 Base64 写入下框"),
     .operation = "md5-base64"},
    {.name = "cmd16", .kind = Button, .caption = "字符转16进制",
     .left = 240, .top = 4800, .width = 1215, .height = 375, .tabIndex = 11,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "把上框文字的 GBK 码写成每字 4 位的十六进制，结果写入下框"),
     .operation = "hex-encode"},
    {.name = "CMDFAN16", .kind = Button, .caption = "16进制转字符",
     .left = 1560, .top = 4800, .width = 1215, .height = 375, .tabIndex = 12,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "把下框中 4 位一组的十六进制还原为文字，结果写回下框"),
     .operation = "hex-decode"},
    {.name = "CMDBASE64", .kind = Button, .caption = "base64encode",
     .left = 2880, .top = 4800, .width = 1335, .height = 375, .tabIndex = 13,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "把上框的文字按 %1 字节编码为 Base64，结果写入下框"),
     .operation = "base64-encode"},
    {.name = "CMD64DE", .kind = Button, .caption = "base64decode",
     .left = 4320, .top = 4800, .width = 1335, .height = 375, .tabIndex = 14,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "把下框的 Base64 按 %1 字节解码为文字，结果写回下框"),
     .operation = "base64-decode"},
    {.name = "ERJINZHIBIG5", .kind = Button, .caption = "域名转IP",
     .left = 5760, .top = 4800, .width = 1335, .height = 375, .tabIndex = 15,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "查询上框中域名的 IPv4 地址，结果写入下框"),
     .operation = "host-to-ip"},
    {.name = "CMDJIANTITOFANTI", .kind = Button, .caption = "数字转人民币",
     .left = 7200, .top = 4800, .width = 1335, .height = 375, .tabIndex = 16,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "把上框中的金额写成人民币大写，结果写入下框"),
     .operation = "amount"},
    {.name = "Check1", .kind = CheckBox, .caption = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "大写"),
     .left = 240, .top = 5280, .width = 735, .height = 255, .tabIndex = 17,
     .flags = kTranslatedCaption},
    {.name = "CMD5_16", .kind = Button, .caption = "MD5_16",
     .left = 1080, .top = 5280, .width = 975, .height = 375, .tabIndex = 18,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "计算上框文字 %1 字节的 MD5，以 16 位十六进制写入下框；勾选“大写”时用大写字母"),
     .operation = "md5-16"},
    {.name = "CMD5_32", .kind = Button, .caption = "MD5_32",
     .left = 2160, .top = 5280, .width = 1095, .height = 375, .tabIndex = 19,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "计算上框文字 %1 字节的 MD5，以 32 位十六进制写入下框；勾选“大写”时用大写字母"),
     .operation = "md5-32"},
    {.name = "CMDUNICODE", .kind = Button, .caption = "vbUnicode",
     .left = 3360, .top = 5280, .width = 1215, .height = 375, .tabIndex = 20,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "把上框文字的 UTF-16 字节当作 %1 读出，结果写入下框"),
     .operation = "unicode-as-ansi"},
    {.name = "CMDVBFORM", .kind = Button, .caption = "vbFormUnicode",
     .left = 4680, .top = 5280, .width = 1335, .height = 375, .tabIndex = 21,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "把下框文字的 %1 字节当作 UTF-16 读出，结果写回下框"),
     .operation = "ansi-as-unicode"},
    {.name = "CMDJIANTOFAN", .kind = Button, .caption = "简体转繁体",
     .left = 6120, .top = 5280, .width = 1095, .height = 375, .tabIndex = 22,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "把上框的简体中文转为繁体，结果写入下框"),
     .operation = "to-traditional"},
    {.name = "CMDFANTOJIAN", .kind = Button, .caption = "繁体转简体",
     .left = 7200, .top = 5280, .width = 1335, .height = 375, .tabIndex = 23,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "把上框的繁体中文转为简体，结果写入下框"),
     .operation = "to-simplified"},
    {.name = "CMDESCAPE", .kind = Button, .caption = "Unicode转换ASCII",
     .left = 240, .top = 5760, .width = 1695, .height = 375, .tabIndex = 24,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "把上框文字按 %1 的规则写成 %XX 和 %uXXXX 转义，结果写入下框"),
     .operation = "escape"},
    {.name = "CMDENDEURL", .kind = Button, .caption = "ASCII转换Unicode",
     .left = 2040, .top = 5760, .width = 1935, .height = 375, .tabIndex = 25,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "把上框中的 %XX 和 %uXXXX 转义按 %1 的规则还原为文字，结果写入下框"),
     .operation = "unescape"},
    {.name = "UTF8乱码", .kind = Button, .caption = "UTF8乱码",
     .left = 4080, .top = 5760, .width = 1215, .height = 375, .tabIndex = 26,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "把上框文字的 UTF-8 字节按 %1 读成乱码，结果写入下框"),
     .operation = "mojibake"},
    {.name = "CMDFANTI", .kind = Button, .caption = "UTF8乱码转正常",
     .left = 5400, .top = 5760, .width = 1815, .height = 375, .tabIndex = 27,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "把下框中按 %1 误读的 UTF-8 乱码还原为正常文字，结果写回下框"),
     .operation = "mojibake-repair"},
    {.name = "CMDGBBIG5", .kind = Button, .caption = "GB-BIG5",
     .left = 7320, .top = 5760, .width = 1215, .height = 375, .tabIndex = 28,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "在 GB2312 与 BIG5 编码之间转换上框文字，结果写入下框；每按一次换一个方向"),
     .operation = "gb-to-big5", .alternate = "big5-to-gb"},
    {.name = "Text3", .kind = TextBox, .caption = "Kelvaro — 中文编码转换工具",
     .left = 240, .top = 6360, .width = 3375, .height = 270, .tabIndex = 29},
    {.name = "Label3", .kind = Label, .caption = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "替换内容"),
     .left = 3840, .top = 6360, .width = 855, .height = 255, .tabIndex = 30,
     .flags = kTranslatedCaption},
    {.name = "TxtBeiTiHuan", .kind = TextBox, .caption = "",
     .left = 4680, .top = 6360, .width = 1215, .height = 270, .tabIndex = 31,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "要在上框中查找的文字，区分大小写；按回车即替换"),
     .placeholder = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "查找内容")},
    {.name = "TxtTiHuan", .kind = TextBox, .caption = "",
     .left = 6000, .top = 6360, .width = 1335, .height = 270, .tabIndex = 32,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "替换成的文字，为空时删去找到的文字；按回车即替换"),
     .placeholder = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "替换为")},
    {.name = "CMDTIHUAN", .kind = Button, .caption = "替换",
     .left = 7440, .top = 6360, .width = 1095, .height = 255, .tabIndex = 33,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "在上框中把左边小框的文字全部替换为右边小框的文字，结果写回上框")},
    {.name = "LabelCharset", .kind = Label, .caption = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "字节编码"),
     .left = 240, .top = 6900, .width = 780, .height = 255, .tabIndex = 34,
     .flags = kTranslatedCaption},
    {.name = "ComboCharset", .kind = ComboBox,
     .left = 1080, .top = 6870, .width = 1560, .height = 330, .tabIndex = 35,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "字节编码：随它而变的转换按这种编码处理字节（它没有的字符写成 ?），上下框保留所有字符；保存文件用它；下次启动时沿用")},
    {.name = "ComboMore", .kind = ComboBox,
     .left = 2760, .top = 6870, .width = 3360, .height = 330, .tabIndex = 36,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "更多转换：选中一项，再按“转换”")},
    {.name = "CMDMORE", .kind = Button, .caption = "转换",
     .left = 6240, .top = 6870, .width = 975, .height = 330, .tabIndex = 37,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "运行左边列表中选中的转换")},
    {.name = "CMDAUTO", .kind = Button, .caption = "自动识别",
     .left = 7320, .top = 6870, .width = 1215, .height = 330, .tabIndex = 38,
     .toolTip = QT_TRANSLATE_NOOP("kelvaro::app::Controls", "认出上框文字经过的转义、编码或乱码（如 %E4%B8%AD、\\u4e2d、5Lit5paH、浣犲ソ），还原后写入下框，状态栏说明经过了哪些步骤；右侧箭头列出其他读法\nÖÐÎÄ 这类由拉丁字母组成的乱码，只有选 utf-8 或 gb18030 时才能原样粘贴进上框"),
     .flags = kDropDown, .operation = "auto"},
    {.name = "LabelStatus", .kind = Label, .caption = "",
     .left = 240, .top = 7290, .width = 8310, .height = 255, .tabIndex = 39,
     .anchor = Anchor::StatusLine},
};
// clang-format on

} // namespace

PixelRect PlaceControl(const ControlSpec& control, int extraWidth, int extraHeight) {
  const int wider = std::max(extraWidth, 0);
  const int taller = std::max(extraHeight, 0);
  // The upper box takes the smaller half of an odd pixel, so the lower box ends at the rows.
  const int upperShare = taller / 2;
  PixelRect place{TwipsToPixels(control.left), TwipsToPixels(control.top),
                  TwipsToPixels(control.width), TwipsToPixels(control.height)};
  switch (control.anchor) {
  case Anchor::BelowBoxes:
    place.top += taller;
    break;
  case Anchor::StatusLine:
    place.top += taller;
    place.width += wider;
    break;
  case Anchor::Fixed:
    break;
  case Anchor::UpperBox:
    place.width += wider;
    place.height += upperShare;
    break;
  case Anchor::LowerBox:
    place.top += upperShare;
    place.width += wider;
    place.height += taller - upperShare;
    break;
  case Anchor::WithLowerBox:
    place.top += upperShare;
    break;
  }
  return place;
}

std::span<const ControlSpec> Controls() { return kControls; }

} // namespace kelvaro::app
