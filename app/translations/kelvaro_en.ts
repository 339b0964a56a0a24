<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>kelvaro::app::Controls</name>
    <message>
        <source>交换上框和下框的文字</source>
        <translation>Swap the texts of the upper and the lower box</translation>
    </message>
    <message>
        <source>把上框文字中的汉字和空格按 %1 字节写成 %XX，结果写入下框</source>
        <translation>Write the Chinese characters and spaces of the upper box as %XX of their %1 bytes, into the lower box</translation>
    </message>
    <message>
        <source>把上框中的 %XX 和 + 按 %1 字节解码回文字，结果写回上框</source>
        <translation>Decode %XX and + in the upper box as %1 bytes back to text, written back into the upper box</translation>
    </message>
    <message>
        <source>把上框中的非 ASCII 字符写成 UTF-8 字节的 %XX，结果写入下框</source>
        <translation>Write the non-ASCII characters of the upper box as %XX of their UTF-8 bytes, into the lower box</translation>
    </message>
    <message>
        <source>把上框中 UTF-8 字节的 %XX 解码回文字，结果写入下框</source>
        <translation>Decode %XX of UTF-8 bytes in the upper box back to text, into the lower box</translation>
    </message>
    <message>
        <source>列出上框每个 UTF-16 码元的 4 位十六进制值（%1 无法表示的字符先成为 ?），结果写入下框</source>
        <translation>List every UTF-16 code unit of the upper box as four hex digits (characters %1 cannot represent become ? first), into the lower box</translation>
    </message>
    <message>
        <source>计算上框文字 GBK 字符码的 MD5，以 Base64 写入下框</source>
        <translation>MD5 of the GBK character codes of the upper box, as Base64, into the lower box</translation>
    </message>
    <message>
        <source>把上框文字的 GBK 码写成每字 4 位的十六进制，结果写入下框</source>
        <translation>Write the GBK codes of the upper box as four hex characters each, into the lower box</translation>
    </message>
    <message>
        <source>把下框中 4 位一组的十六进制还原为文字，结果写回下框</source>
        <translation>Turn the four-character hex groups of the lower box back into text, written back into the lower box</translation>
    </message>
    <message>
        <source>把上框的文字按 %1 字节编码为 Base64，结果写入下框</source>
        <translation>Encode the %1 bytes of the upper box as Base64, into the lower box</translation>
    </message>
    <message>
        <source>把下框的 Base64 按 %1 字节解码为文字，结果写回下框</source>
        <translation>Decode the Base64 of the lower box to %1 bytes and text, written back into the lower box</translation>
    </message>
    <message>
        <source>查询上框中域名的 IPv4 地址，结果写入下框</source>
        <translation>Look up the IPv4 address of the host name in the upper box, into the lower box</translation>
    </message>
    <message>
        <source>把上框中的金额写成人民币大写，结果写入下框</source>
        <translation>Write the amount in the upper box in Chinese capital numerals, into the lower box</translation>
    </message>
    <message>
        <source>计算上框文字 %1 字节的 MD5，以 16 位十六进制写入下框；勾选“大写”时用大写字母</source>
        <translation>MD5 of the %1 bytes of the upper box, 16 hex digits, into the lower box; capitals when 大写 is checked</translation>
    </message>
    <message>
        <source>计算上框文字 %1 字节的 MD5，以 32 位十六进制写入下框；勾选“大写”时用大写字母</source>
        <translation>MD5 of the %1 bytes of the upper box, 32 hex digits, into the lower box; capitals when 大写 is checked</translation>
    </message>
    <message>
        <source>把上框文字的 UTF-16 字节当作 %1 读出，结果写入下框</source>
        <translation>Read the UTF-16 bytes of the upper box as %1, into the lower box</translation>
    </message>
    <message>
        <source>把下框文字的 %1 字节当作 UTF-16 读出，结果写回下框</source>
        <translation>Read the %1 bytes of the lower box as UTF-16, written back into the lower box</translation>
    </message>
    <message>
        <source>把上框的简体中文转为繁体，结果写入下框</source>
        <translation>Convert the simplified Chinese of the upper box to traditional, into the lower box</translation>
    </message>
    <message>
        <source>把上框的繁体中文转为简体，结果写入下框</source>
        <translation>Convert the traditional Chinese of the upper box to simplified, into the lower box</translation>
    </message>
    <message>
        <source>把上框文字按 %1 的规则写成 %XX 和 %uXXXX 转义，结果写入下框</source>
        <translation>Write the upper box as %XX and %uXXXX escapes by the rules of %1, into the lower box</translation>
    </message>
    <message>
        <source>把上框中的 %XX 和 %uXXXX 转义按 %1 的规则还原为文字，结果写入下框</source>
        <translation>Turn the %XX and %uXXXX escapes of the upper box back into text by the rules of %1, into the lower box</translation>
    </message>
    <message>
        <source>把上框文字的 UTF-8 字节按 %1 读成乱码，结果写入下框</source>
        <translation>Read the UTF-8 bytes of the upper box as %1, giving mojibake, into the lower box</translation>
    </message>
    <message>
        <source>把下框中按 %1 误读的 UTF-8 乱码还原为正常文字，结果写回下框</source>
        <translation>Repair UTF-8 misread as %1 in the lower box, written back into the lower box</translation>
    </message>
    <message>
        <source>在 GB2312 与 BIG5 编码之间转换上框文字，结果写入下框；每按一次换一个方向</source>
        <translation>Convert the upper box between GB2312 and BIG5 codes, into the lower box; each click turns the direction round</translation>
    </message>
    <message>
        <source>要在上框中查找的文字，区分大小写；按回车即替换</source>
        <translation>The text to find in the upper box, case-sensitive; Return replaces</translation>
    </message>
    <message>
        <source>查找内容</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>替换成的文字，为空时删去找到的文字；按回车即替换</source>
        <translation>The text to put in its place; empty deletes what is found; Return replaces</translation>
    </message>
    <message>
        <source>替换为</source>
        <translation>Replace with</translation>
    </message>
    <message>
        <source>在上框中把左边小框的文字全部替换为右边小框的文字，结果写回上框</source>
        <translation>Replace every occurrence of the left small box&apos;s text in the upper box by the right small box&apos;s text</translation>
    </message>
    <message>
        <source>字节编码：随它而变的转换按这种编码处理字节（它没有的字符写成 ?），上下框保留所有字符；保存文件用它；下次启动时沿用</source>
        <translation>Byte encoding: the conversions that follow it work on bytes in this charset (characters it lacks are written as ?); the boxes keep every character; files are saved in it; remembered for the next start</translation>
    </message>
    <message>
        <source>更多转换：选中一项，再按“转换”</source>
        <translation>More conversions: choose one, then press 转换</translation>
    </message>
    <message>
        <source>运行左边列表中选中的转换</source>
        <translation>Run the conversion chosen in the list on the left</translation>
    </message>
    <message>
        <source>认出上框文字经过的转义、编码或乱码（如 %E4%B8%AD、\u4e2d、5Lit5paH、浣犲ソ），还原后写入下框，状态栏说明经过了哪些步骤；右侧箭头列出其他读法
ÖÐÎÄ 这类由拉丁字母组成的乱码，只有选 utf-8 或 gb18030 时才能原样粘贴进上框</source>
        <translation>Recognise the escapes, encodings or garbled characters the text of the upper box went through (such as %E4%B8%AD, \u4e2d, 5Lit5paH, 浣犲ソ), write the restored text into the lower box, and name the steps in the status line; the arrow on the right lists the other readings
Garbled Latin letters such as ÖÐÎÄ can be pasted into the upper box as they are only with utf-8 or gb18030</translation>
    </message>
    <message>
        <source>上框：要转换的内容（输入、粘贴，或把文本文件拖进来）</source>
        <translation>Upper box: the text to convert (type, paste, or drop a text file here)</translation>
    </message>
    <message>
        <source>下框：转换的结果</source>
        <translation>Lower box: the result of a conversion</translation>
    </message>
    <message>
        <source>大写</source>
        <translation>Upper</translation>
    </message>
    <message>
        <source>替换内容</source>
        <translation>Replace</translation>
    </message>
    <message>
        <source>字节编码</source>
        <translation>Charset</translation>
    </message>
</context>
<context>
    <name>kelvaro::app::Form1</name>
    <message>
        <source>随“字节编码”而变，现在按 %1</source>
        <translation>Follows the byte encoding, now %1</translation>
    </message>
    <message>
        <source>不随“字节编码”而变</source>
        <translation>Does not follow the byte encoding</translation>
    </message>
    <message>
        <source>下一次：GB→BIG5</source>
        <translation>Next click: GB→BIG5</translation>
    </message>
    <message>
        <source>下一次：BIG5→GB</source>
        <translation>Next click: BIG5→GB</translation>
    </message>
    <message>
        <source>%1：未转换，%2保持原样</source>
        <translation>%1: not converted, the %2 is unchanged</translation>
    </message>
    <message>
        <source>%1：结果已写入%2</source>
        <translation>%1: result written to the %2</translation>
    </message>
    <message>
        <source>GB-BIG5（GB→BIG5）</source>
        <translation>GB-BIG5 (GB→BIG5)</translation>
    </message>
    <message>
        <source>GB-BIG5（BIG5→GB）</source>
        <translation>GB-BIG5 (BIG5→GB)</translation>
    </message>
    <message>
        <source>上下值互换</source>
        <translation>上下值互换</translation>
    </message>
    <message>
        <source>打开文件</source>
        <translation>Open file</translation>
    </message>
    <message>
        <source>粘贴</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>上下值互换：已交换上框和下框</source>
        <translation>上下值互换: the upper and the lower box swapped</translation>
    </message>
    <message>
        <source>替换：结果已写回上框</source>
        <translation>替换: result written back to the upper box</translation>
    </message>
    <message>
        <source>打开文件到上框…</source>
        <translation>Open a File into the Upper Box…</translation>
    </message>
    <message>
        <source>把下框保存为文件…</source>
        <translation>Save the Lower Box as a File…</translation>
    </message>
    <message>
        <source>打开文件到上框</source>
        <translation>Open a File into the Upper Box</translation>
    </message>
    <message>
        <source>文本文件 (*.txt);;所有文件 (*)</source>
        <translation>Text files (*.txt);;All files (*)</translation>
    </message>
    <message>
        <source>把下框保存为文件</source>
        <translation>Save the Lower Box as a File</translation>
    </message>
    <message>
        <source>无法打开 %1：没有这个文件。</source>
        <translation>Cannot open %1: there is no such file.</translation>
    </message>
    <message>
        <source>无法打开 %1：文件有 %2 MiB，超过了 256 MiB 的上限。</source>
        <translation>Cannot open %1: the file has %2 MiB, more than the limit of 256 MiB.</translation>
    </message>
    <message>
        <source>无法读取 %1：%2</source>
        <translation>Cannot read %1: %2</translation>
    </message>
    <message numerus="yes">
        <source>%n 个字符无法用 %1 表示，保存到 %2 后会成为 ?。仍然保存吗？</source>
        <translation>
            <numerusform>%n character cannot be represented in %1 and will become ? in %2. Save all the same?</numerusform>
            <numerusform>%n characters cannot be represented in %1 and will become ? in %2. Save all the same?</numerusform>
        </translation>
    </message>
    <message>
        <source>无法保存 %1：%2</source>
        <translation>Cannot save %1: %2</translation>
    </message>
    <message>
        <source>下框已保存为 %1（%2）</source>
        <translation>Lower box saved as %1 (%2)</translation>
    </message>
    <message>
        <source>，用时 %1 秒</source>
        <translation>, took %1 s</translation>
    </message>
    <message>
        <source>上框</source>
        <translation>upper box</translation>
    </message>
    <message>
        <source>下框</source>
        <translation>lower box</translation>
    </message>
    <message>
        <source>查找框</source>
        <translation>find box</translation>
    </message>
    <message>
        <source>替换框</source>
        <translation>replacement box</translation>
    </message>
    <message>
        <source>说明框</source>
        <translation>note box</translation>
    </message>
    <message>
        <source>%1：%2 个字符，%3 字节（%4）</source>
        <translation>In the %1: %2 characters, %3 bytes (%4)</translation>
    </message>
    <message>
        <source>%1：所选读法已写入%2</source>
        <translation>%1: the chosen reading written to the %2</translation>
    </message>
    <message numerus="yes">
        <source>%n 个字符无法用 %1 表示，已写成 ?</source>
        <translation>
            <numerusform>%n character cannot be represented in %1 and was written as ?</numerusform>
            <numerusform>%n characters cannot be represented in %1 and were written as ?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>输入在第 %1 个字符处有 U+0000，其后的 %n 个字符未转换</source>
        <translation>
            <numerusform>The input holds U+0000 at character %1; the %n character after it was not converted</numerusform>
            <numerusform>The input holds U+0000 at character %1; the %n characters after it were not converted</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>结果在第 %1 个字符处有 U+0000，其后的 %n 个字符未显示</source>
        <translation>
            <numerusform>The result holds U+0000 at character %1; the %n character after it is not shown</numerusform>
            <numerusform>The result holds U+0000 at character %1; the %n characters after it are not shown</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>粘贴的文字在第 %1 个字符处有 U+0000，其后的 %n 个字符未放入</source>
        <translation>
            <numerusform>The pasted text holds U+0000 at character %1; the %n character after it was left out</numerusform>
            <numerusform>The pasted text holds U+0000 at character %1; the %n characters after it were left out</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 个不成字符的码元已显示为 ?</source>
        <translation>
            <numerusform>%n code unit that is no character is shown as ?</numerusform>
            <numerusform>%n code units that are no characters are shown as ?</numerusform>
        </translation>
    </message>
    <message>
        <source>无法打开 %1：这不是文本文件（任何字符集都读不出文字）。</source>
        <translation>Cannot open %1: it is no text file (no charset reads it as text).</translation>
    </message>
    <message>
        <source>无法打开 %1：第 %2 个字节起的内容不是有效的 %3 文字。</source>
        <translation>Cannot open %1: from byte %2 on, the content is not valid %3 text.</translation>
    </message>
    <message>
        <source>按字节顺序标记</source>
        <translation>by its byte order mark</translation>
    </message>
    <message>
        <source>内容是有效的 UTF-8</source>
        <translation>its content is valid UTF-8</translation>
    </message>
    <message>
        <source>内容只有 ASCII，按所选字节编码</source>
        <translation>plain ASCII, read in the chosen charset</translation>
    </message>
    <message>
        <source>按内容判断</source>
        <translation>judged by its content</translation>
    </message>
    <message>
        <source>按所选</source>
        <translation>as chosen</translation>
    </message>
    <message>
        <source>已打开 %1（%2，%3；可在上框的右键菜单中换一种编码重新打开）</source>
        <translation>Opened %1 (%2, %3; the upper box&apos;s context menu reopens it in another charset)</translation>
    </message>
    <message>
        <source>以其他编码重新打开</source>
        <translation>Reopen in another charset</translation>
    </message>
    <message>
        <source>%1：已取消，上下框保持原样</source>
        <translation>%1: cancelled, both boxes left as they were</translation>
    </message>
    <message>
        <source>%1：正在写入，已完成 %2%，已用 %3 秒（按 Esc 取消）</source>
        <translation>%1: writing, %2% done, %3 s so far (Esc cancels)</translation>
    </message>
    <message>
        <source>%1：正在进行，已用 %2 秒（按 Esc 取消）</source>
        <translation>%1: working, %2 s so far (Esc cancels)</translation>
    </message>
</context>
<context>
    <name>kelvaro::app::StatusLabel</name>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>停止正在进行的转换（Esc）；上下框保持原样</source>
        <translation>Stops the conversion under way (Esc); both boxes stay as they were</translation>
    </message>
</context>
</TS>
