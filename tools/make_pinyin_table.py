#!/usr/bin/env python3
"""Writes the pinyin conversion's table, and measures the conversion against a reference.

The table is derived from three npm packages (two MIT, one ISC), which a developer fetches once into
a scratch directory; none of their code or files enter the tree, only the table below:
  - `pinyin` 4.0.0 (by hotoo): its phrase dictionary (about 40 000 phrases) and its character
    dictionary;
  - `pinyin-pro` 3.29.4 (by zh-lx): the data modules of its ES module build, read as text and never
    run: its character dictionary (dict1, each character's readings with the most common first),
    its phrase dictionaries (dict2 to dict5, the phrases that read a character otherwise than most
    often) and its surnames (surname.mjs);
  - `@pinyin-pro/data` 1.3.1 (ISC, stated in its package.json): json/complete.json, about 340 000
    words, each with its reading and its frequency.

    cd /tmp && npm pack pinyin@4.0.0 pinyin-pro@3.29.4 @pinyin-pro/data@1.3.1 \\
        && mkdir pinyin pinyin-pro pinyin-pro-data && tar xzf pinyin-4.0.0.tgz -C pinyin \\
        && tar xzf pinyin-pro-3.29.4.tgz -C pinyin-pro \\
        && tar xzf pinyin-pro-data-1.3.1.tgz -C pinyin-pro-data
    tools/make_pinyin_table.py table /tmp/pinyin/package /tmp/pinyin-pro/package \\
        /tmp/pinyin-pro-data/package resources/pinyin_phrases.bin

How the table is put together:
  - a character outside every phrase takes pinyin-pro's most common reading, or ICU's Han-Latin
    reading where pinyin-pro has none (ICU 72, through `uconv -x Han-Latin` of Debian's
    icu-devtools, needed only to regenerate); CHARACTER_READINGS override a few;
  - the phrases are `pinyin`'s, with pinyin-pro's phrases winning where both have one, then the
    words of @pinyin-pro/data winning over both but for the neutral tone (below), then 姓 with
    each surname whose reading as a surname differs from the character's (姓单 xìng shàn), the
    surnames of two characters, PLACES, ADVERBS with 地 de, the phrases of COMPLEMENTS read de, the
    joined phrases of technical text and of particles (行 háng, 重 chóng, 为 wéi, 得 děi, 只 zhī,
    VERB_SENSES: see joined_phrases), and ERRATA last; NOT_PHRASES are left out;
  - citation tones, never tone sandhi: 一 is yī and 不 is bù in every phrase (the sources write
    一个 yí gè);
  - the standard readings of 这, 那 and 哪 (zhè, nà, nǎ) for their spoken forms zhèi, nèi, něi;
  - no phrase with a character outside the Basic Multilingual Plane, with a character neither
    character dictionary has, or with a reading neither lists for its character (nor its
    neutral-tone form): those readings are slips of the source (为什么 wéi shèn mǒ);
  - the neutral tone as the older sources write it: where @pinyin-pro/data reads a syllable in
    the neutral tone and the other reading differs only by that (时候 shí hou against shí hòu), the
    full tone stays, as it does in a new word whose character reads so on its own;
  - every phrase and every character has a cost, -ln of its frequency in @pinyin-pro/data in
    eighths (1e-10 for those it lacks; a joined phrase costs its pieces less JOINED_BONUS), by
    which the conversion splits a run of characters into its likeliest words.

The conversion asks ICU itself only about characters beyond the Basic Multilingual Plane, since
asking ICU at run time for all of them costs almost half a second.

Table layout (little-endian):
  "KPY3"
  u16 S, then S syllables, each a u8 byte count and the syllable's UTF-8 (lower case, tone marks)
  u16 R, then R ranges of characters, each u16 first character, u16 count n, n u16 syllable indexes
  (0xFFFF: no reading)
  u16 R, then R ranges of characters, each u16 first character, u16 count n, n u8 costs
  u32 E, then E phrases, each a u8 length n, n UTF-16 units, n u16 syllable indexes, u8 cost

Measuring (agreement of every character's syllable with a reference on real prose):

    tools/make_pinyin_table.py fetch SOURCES                  # Debian documentation, unpacked
    tools/make_pinyin_table.py sentences SOURCES DIR          # DIR/<document>.txt, one a line
    cd /tmp && npm pack pinyin-pro@3.29.4 && mkdir pinyin-pro \\
        && tar xzf pinyin-pro-3.29.4.tgz -C pinyin-pro
    tools/make_pinyin_table.py reference /tmp/pinyin-pro/package DIR/faq.txt DIR/faq.tsv
    KELVARO_PINYIN_REFERENCE=DIR/faq.tsv:DIR/man.tsv build/release/tests/kelvaro-tests \\
        --gtest_filter=PinyinMeasure.*

The reference is pinyin-pro (MIT), a phrase-aware converter with its own dictionary, run under node
with tone sandhi off; since the table now holds its data, agreement with it is a check that the
prose still reads as it did, not a measure of correctness on its own. The hand-checked readings
of tests/cases/pinyin/hand_checked.tsv (polyphone words, surnames after 姓, place names) are that
measure, with the held-out lists and the hand-checked prose (prose_checked.tsv):
`KELVARO_PINYIN_REFERENCE=/dev/null kelvaro-tests --gtest_filter=Pinyin.ReadsHand*` prints each
family's figure and the texts read wrong (but for the third held-out list, whose misses it never
shows). The committed sample tests/cases/pinyin/reference_sample.tsv is the
`reference` output for the sentences of jieba's examples (python-jieba-doc, MIT).
Standard library only (runs with Debian 12's python3).
"""

import argparse
import gzip
import html
import json
import math
import os
import re
import struct
import subprocess
import sys
import unicodedata

from debian_prose import joined_paragraphs, man_page_lines, sentences

# Corrections of the source and a few phrases it lacks (银行 among them), each with the reading of
# the standard dictionaries (现代汉语词典). They were found among the disagreements on the Chinese
# manual pages only (manpages-zh), so that the other documents measure text they never saw; the
# rest came with the technical senses (还书 beside 还钱, the heavy 重装 that 重 chóng must leave,
# 散列 and 奇校验 of hashing and parity, 的行 a line of text, 得了 and 相对应 beside the new
# readings of 得 and 应 on their own, and 一部分 as 部分 reads); the last seven are more of the
# manual pages' disagreements.
ERRATA = {
    "银行": "yín háng",
    "换行": "huàn háng",
    "排行": "pái háng",
    "这个": "zhè ge",
    "那个": "nà ge",
    "哪个": "nǎ ge",
    "部分": "bù fen",
    "大部分": "dà bù fen",
    "空格": "kòng gé",
    "查看": "chá kàn",
    "为什么": "wèi shén me",
    "禁用": "jìn yòng",
    "取得": "qǔ dé",
    "卸载": "xiè zài",
    "小数点": "xiǎo shù diǎn",
    "尽可能": "jǐn kě néng",
    "行号": "háng hào",
    "任务": "rèn wu",
    "干预": "gān yù",
    "何处": "hé chù",
    "还钱": "huán qián",
    "还债": "huán zhài",
    "一行": "yī háng",
    "一行人": "yī xíng rén",
    "行代码": "háng dài mǎ",
    "还书": "huán shū",
    "重装备": "zhòng zhuāng bèi",
    "重装甲": "zhòng zhuāng jiǎ",
    "散列": "sǎn liè",
    "奇校验": "jī jiào yàn",
    "的行": "de háng",
    "得了": "dé le",
    "相对应": "xiāng duì yìng",
    "一部分": "yī bù fen",
    "下传": "xià chuán",
    "互传": "hù chuán",
    "罢了": "bà le",
    "放大率": "fàng dà lǜ",
    "不适当": "bù shì dàng",
    "不要求": "bù yāo qiú",
    "不了": "bù liǎo",
}

# Place names whose reading the sources lack or give otherwise, as the gazetteers write them.
PLACES = {
    "朝阳区": "cháo yáng qū", "朝阳市": "cháo yáng shì", "朝阳县": "cháo yáng xiàn",
    "朝阳门": "cháo yáng mén", "朝阳路": "cháo yáng lù", "朝鲜": "cháo xiǎn",
    "台州": "tāi zhōu", "天台": "tiān tāi", "天台山": "tiān tāi shān", "丽水": "lí shuǐ",
    "番禺": "pān yú", "铅山": "yán shān", "东阿": "dōng ē", "洪洞": "hóng tóng",
    "蔚县": "yù xiàn", "尉氏": "yù shì", "乐亭": "lào tíng", "乐清": "yuè qīng",
    "单县": "shàn xiàn", "莘县": "shēn xiàn", "繁峙": "fán shì", "黄陂": "huáng pí",
    "大埔": "dà bù", "黄埔": "huáng pǔ", "柬埔寨": "jiǎn pǔ zhài", "歙县": "shè xiàn",
    "六合": "lù hé", "六安": "lù ān", "会稽": "kuài jī", "涡阳": "guō yáng",
    "浚县": "xùn xiàn", "济南": "jǐ nán", "济宁": "jǐ níng", "济源": "jǐ yuán",
    "阿房宫": "ē páng gōng", "巴塞罗那": "bā sài luó nà", "塞浦路斯": "sài pǔ lù sī",
    "塞尔维亚": "sài ěr wéi yà", "塞内加尔": "sài nèi jiā ěr", "筠连": "jūn lián",
    "泌阳": "bì yáng", "枞阳": "zōng yáng", "盱眙": "xū yí", "荥阳": "xíng yáng",
    "牟平": "mù píng", "亳州": "bó zhōu", "句容": "jù róng", "鄱阳": "pó yáng",
    "犍为": "qián wéi", "临朐": "lín qú", "郫县": "pí xiàn", "綦江": "qí jiāng",
    "蚌埠": "bèng bù", "厦门": "xià mén", "长治": "cháng zhì", "长沙": "cháng shā",
    "都江堰": "dū jiāng yàn", "成都": "chéng dū", "宿迁": "sù qiān", "宿州": "sù zhōu",
    "秘鲁": "bì lǔ", "罗马": "luó mǎ", "加勒比": "jiā lè bǐ", "那不勒斯": "nà bù lè sī",
    "吐鲁番": "tǔ lǔ fān", "鸭绿江": "yā lù jiāng", "曲阜": "qū fù", "蒙古": "měng gǔ",
    "内蒙古": "nèi měng gǔ", "华山": "huà shān", "华县": "huà xiàn", "华阴": "huà yīn",
    "无为": "wú wéi", "佛山": "fó shān", "乐山": "lè shān", "石家庄": "shí jiā zhuāng",
    "重庆": "chóng qìng", "长春": "cháng chūn", "涪陵": "fú líng", "兴化": "xīng huà",
}

# Surnames the surname source lacks, read as surnames after 姓.
SURNAMES = {"种": "chóng", "秘": "bì", "黑": "hè", "重": "chóng", "单于": "chán yú",
            "长孙": "zhǎng sūn", "区": "ōu", "查": "zhā", "解": "xiè", "曾": "zēng", "单": "shàn"}

# Words that 地 turns into adverbs, where it is the particle de (简单地说, 慢慢地走): chosen among
# the manual pages' words before 地, and the common doubled adjectives. Each also gets the words of
# 地 dì that may follow it (有效地址 is no 有效地 and 址).
ADVERBS = ("简单 容易 递归 明确 自动 正确 显式 隐式 有效 成功 详细 周期性 相应 方便 动态 静态 交互 "
           "不断 适当 完整 严格 更好 同样 独立 完全 正常 直接 间接 手动 永久 暂时 安全 随机 逐渐 "
           "仔细 认真 快速 迅速 反复 重复 持续 彻底 准确 精确 大量 很好 慢慢 渐渐 悄悄 静静 轻轻 "
           "默默 紧紧 好好 深深 远远 牢牢 狠狠 偷偷 高高 大大").split()
PLACE_WORDS = ("地址", "地区", "地点", "地图", "地方", "地位", "地面", "地理")

# Phrases of the sources that segmentation takes across a word boundary far more often than it
# meets them (的当 in 的当前, 端的 in 远端的, 行都 in 的行都, 了当 in 控制了当前); chosen among the
# disagreements on the manual pages.
NOT_PHRASES = {"的当", "端的", "行都", "了当"}

# Characters whose reading outside a phrase is not ICU's: its toneless 子 zi, 长 zhǎng where cháng
# is the common reading, and older readings of 框 杠 帧 粘; and the most common reading of a
# character on its own where pinyin-pro's first is the one its phrases mostly hold: 得 de (跑得快;
# dé is 得到, 获得), 应 yīng (应使用; yìng is 应用, 反应), 只 zhǐ (只在; zhī is 一只), 供 gōng
# (以供, 供参考; gòng is 供奉, 口供), 载 zài (载有, 装载器; zǎi is 记载, 一年半载).
CHARACTER_READINGS = {
    "得": "de",
    "应": "yīng",
    "只": "zhǐ",
    "供": "gōng",
    "载": "zài",
    "子": "zǐ",
    "长": "cháng",
    "框": "kuàng",
    "杠": "gàng",
    "帧": "zhēn",
    "粘": "nián",
}

# 行 as a line of text (háng), the sense of technical text: after the words that count, order or
# place lines (第三行, 两行, 每行, 首行, 当前行, 多行) and before the words of a line's parts and
# measures (行号, 行尾, 行宽). A counted 行 that the sources read otherwise stays theirs (五行 wǔ
# xíng), but for 多行, 单行 and 空行, which text about text means far more often than 多行不义 (a
# phrase of its own), 单行道 (one too) or walking in vain.
LINE_COUNTS = ("两 几 数 十几 几十 几百 几千 上百 上千 每 首 末 整 空 本 该 同一 当前 上一 下一 前一 "
               "后一 最后一 奇数 偶数 这一 那一 某一 每一 任一 多 单 按 逐").split()
# The counts whose phrase with 行 the sources read otherwise, and how they read with 行 háng.
LINE_OVERRIDES = {"多": "duō", "单": "dān", "空": "kòng"}
LINE_PARTS = "号 首 尾 末 宽 高 距 数 间 内".split()
# ... and after the things that come in lines (输入行, 代码行).
LINE_THINGS = "输入 输出 文本 代码 数据 注释 标题 日志 脚本".split()
CHINESE_DIGITS = "零一二三四五六七八九"


def chinese_number(n):
    """1 to 99 as Chinese numerals: 十, 十二, 二十, 九十九."""
    tens, ones = divmod(n, 10)
    text = ("" if tens < 2 else CHINESE_DIGITS[tens]) + ("十" if tens else "")
    return text + (CHINESE_DIGITS[ones] if ones else "")


# 重 as again (chóng) before the verbs of doing a thing over, which the sources lack or read zhòng
# (重做, 重连, 重绘, 重传); verbs where 重 often means heavy or weighty (重读, 重载, 重用) are not
# among them.
REDO_VERBS = ("做 写 连 算 绘 放 跑 刷 输 录 测 传 签 来 开 设 选 登 装 排 建 编 组 置 启 试 发 "
              "拍 播 订 找 买 画 印 审 检 查 修 配 填 映 采 挂 考 练 走 看 说 讲 入 现 演 整 归 "
              "造 塑 聚 复制 命名 定向 编译 生成 映射 采样 加载 连接 启动 计算 渲染 绘制 安装 分配 "
              "排序 排列 索引 定位 定义 起 构建 配置 打包").split()

# 为 wéi, to be or to become, after the verbs that make a thing into another (设置为, 转换为) and the
# nouns whose value it gives (值为, 长度为): a 为 on its own is most often wèi, for.
BECOME_WORDS = ("设置 设定 定义 默认 指定 转换 映射 替换 标记 显示 表示 解释 初始化 置 修改 更改 简称 "
                "翻译 命名 记 写 缩写 扩展 展开 格式化 保存 另存 声明 配置 分割 拆分 合并 编译 解析 "
                "转 改写 重命名 设 值 默认值 长度 大小 类型 单位 状态 结果 名称 宽度 高度 数量 总数 "
                "取值 返回值 参数 选项 模式 权限 级别 约 均 分别 仍 皆 多 则 仅 划分 转化 归 简化 规定 "
                "确定 认定").split()

# ... and before the values a thing is (为空, 为真, 为零).
BECOME_VALUES = "空 真 假 零 正 负".split()

# Whoever must (děi) before 得: on its own, 得 is the particle de of 跑得快 far more often than the
# verb dé, whose words (得到, 获得) are phrases.
MUST_WORDS = "你 我 他 她 您 咱 我们 你们 他们 她们 咱们 大家 还 就 都 也 又".split()

# 只 zhī where it counts (一只, 这只); on its own it is zhǐ, only.
ANIMAL_COUNTS = "一 两 三 四 五 六 七 八 九 十 几 每 这 那 哪 某".split()

# Verbs whose reading as a verb differs from their common one, before the particles and complements
# that only follow a verb: 长 zhǎng, to grow (长得很高, 长出), 种 zhòng, to plant (种了, 种下), 系
# jì, to tie (系好).
VERB_SENSES = {"长": ("zhǎng", "得 出"), "种": ("zhòng", "了 着 过 下 上 在 满 出"),
               "系": ("jì", "好 住 着")}

# The complements that 得 de joins to a verb or an adjective (受得了, 听得懂, 好得多), which many
# phrases of the sources read dé; not after 不 (不得了 bù dé liǎo) nor where the first two characters
# are a word of dé (获得, 取得).
COMPLEMENTS = set("了起住到出来去上下开完动见懂清饱多很好快远过着及消透掉成进回硬")
NOT_COMPLEMENTED = set("不所何")

# Classifiers after a number written in digits (3行, 2重循环, 7200转) are no phrases, since digits
# are no part of a run of Han characters: the conversion reads them itself (kCountedReadings in
# codec/chinese/pinyin.cpp), as it reads 地 de after the word of an adverb.

CITATION = {"一": "yī", "不": "bù"}
SPOKEN = {("这", "zhèi"): "zhè", ("那", "nèi"): "nà", ("哪", "něi"): "nǎ"}
TONE_MARKS = "\u0304\u0301\u030c\u0300"
SYLLABLE = re.compile("^[a-z\u00ea\u0300\u0301\u0304\u0308\u030c]+$")


def toneless(reading):
    decomposed = unicodedata.normalize("NFD", reading)
    return unicodedata.normalize("NFC", "".join(c for c in decomposed if c not in TONE_MARKS))


def is_syllable(reading):
    return bool(SYLLABLE.match(unicodedata.normalize("NFD", reading)))


# ---- the source ---------------------------------------------------------------------------------

def read_source(package):
    """The character dictionary {char: [readings]} and the phrase dictionary {phrase: [reading]}."""
    path = os.path.join(package, "lib", "cjs", "pinyin.js")
    with open(path, encoding="utf-8") as f:
        text = f.read()
    characters = {}
    for m in re.finditer(r'^dict\[0x([0-9a-fA-F]+)\] = "([^"]*)";', text, re.M):
        characters[chr(int(m.group(1), 16))] = m.group(2).split(",")
    phrases = {}
    start = text.index("const phrases_dict = {")
    end = text.index("\n};", start)
    for m in re.finditer(r'^\s*"([^"]+)": (\[\[.*\]\]),?$', text[start:end], re.M):
        phrases[m.group(1)] = [choices[0] for choices in json.loads(m.group(2))]
    if len(characters) < 20000 or len(phrases) < 40000:
        sys.exit(f"{path}: too few entries ({len(characters)} characters, {len(phrases)} phrases)")
    return characters, phrases


def read_pinyin_pro(package):
    """pinyin-pro's character readings {char: [readings], most common first}, its phrases
    {phrase: [reading]} and its surnames {surname: [reading]}, read from the data modules of its
    ES module build as text (none of its code is run)."""
    data = os.path.join(package, "dist", "esm", "data")
    with open(os.path.join(data, "dict1.mjs"), encoding="utf-8") as f:
        text = f.read()
    body = text[text.index("const map = {"):text.index("const DICT1")]
    characters = {}
    for m in re.finditer(r"^\s*(?:'([^']*)'|([^\s:']+)):\s*\[(.*?)\]", body, re.M | re.S):
        readings = [unicodedata.normalize("NFC", r) for r in (m.group(1) or m.group(2)).split()]
        for c in re.findall(r"'([^']*)'", m.group(3)):
            characters[c] = readings
    entry = re.compile(r"""^\s*['"]?([^\s:'"]+)['"]?:\s*['"]([^'"]+)['"],?$""", re.M)

    def table(name, start):
        with open(os.path.join(data, name), encoding="utf-8") as f:
            text = f.read()
        body = text[text.index(start):]
        body = body[:body.index("\n};")]
        return {m.group(1): unicodedata.normalize("NFC", m.group(2)).split()
                for m in entry.finditer(body)}

    phrases = {}
    for n in (2, 3, 4, 5):
        phrases.update(table(f"dict{n}.mjs", f"const DICT{n} = {{"))
    surnames = table("surname.mjs", "const Surnames = {")
    if len(characters) < 20000 or len(phrases) < 4000 or len(surnames) < 400:
        sys.exit(f"{data}: too few entries ({len(characters)} characters, {len(phrases)} phrases, "
                 f"{len(surnames)} surnames)")
    return characters, phrases, surnames


def read_words(package, name="complete"):
    """The words of @pinyin-pro/data (ISC): {word: ([reading], frequency)}, from json/NAME.json."""
    path = os.path.join(package, "json", name + ".json")
    with open(path, encoding="utf-8") as f:
        data = json.load(f)
    words = {w: (unicodedata.normalize("NFC", v[0]).split(), float(v[1])) for w, v in data.items()}
    if len(words) < 50000:
        sys.exit(f"{path}: too few words ({len(words)})")
    return words


def clean_phrases(characters, phrases):
    kept, dropped = {}, 0
    for key, readings in phrases.items():
        if len(key) < 2 or len(readings) != len(key) or any(ord(c) > 0xFFFF for c in key):
            dropped += 1
            continue
        fixed = []
        for c, r in zip(key, readings):
            r = unicodedata.normalize("NFC", r)
            r = CITATION.get(c, SPOKEN.get((c, r), r))
            listed = characters.get(c)
            if listed is None or not is_syllable(r) or not (
                    r in listed or r == CITATION.get(c) or r in map(toneless, listed)):
                fixed = None
                break
            fixed.append(r)
        if fixed is None:
            dropped += 1
            continue
        kept[key] = fixed
    for key, reading in ERRATA.items():
        kept[key] = reading.split()
    return kept, dropped


HAN_RANGES = [(0x3005, 0x3007), (0x3400, 0x4DBF), (0x4E00, 0x9FFF), (0xF900, 0xFAFF)]


def icu_readings():
    """ICU's Han-Latin reading of every character of HAN_RANGES that has one."""
    characters = [chr(c) for first, last in HAN_RANGES for c in range(first, last + 1)]
    run = subprocess.run(["uconv", "-f", "utf-8", "-t", "utf-8", "-x", "Han-Latin"],
                         input="".join(c + "\n" for c in characters).encode("utf-8"),
                         capture_output=True, check=True)
    lines = run.stdout.decode("utf-8").split("\n")
    if len(lines) < len(characters):
        sys.exit("uconv gave fewer lines than characters")
    readings = {}
    for c, reading in zip(characters, lines):
        reading = unicodedata.normalize("NFC", reading)
        if reading != c and is_syllable(reading):
            readings[c] = reading
    return readings


# A word the frequency list lacks counts as this frequent: rarer than most words of the list, so
# that a phrase of the other sources still beats the two characters it joins.
UNLISTED_FREQUENCY = 1e-10


def cost(frequency):
    """How unlikely a word is, -ln(frequency) in eighths, as one byte."""
    return max(0, min(255, round(-8 * math.log(frequency))))


def write_table(characters, phrases, frequencies, costs, out):
    """`costs`: the costs of the phrases made here (Joiner), in place of their frequencies."""
    syllables = sorted(set(characters.values()) | {r for rs in phrases.values() for r in rs})
    index = {s: i for i, s in enumerate(syllables)}
    data = bytearray(b"KPY3")
    data += struct.pack("<H", len(syllables))
    for s in syllables:
        encoded = s.encode("utf-8")
        data += struct.pack("<B", len(encoded)) + encoded
    data += struct.pack("<H", len(HAN_RANGES))
    for first, last in HAN_RANGES:
        data += struct.pack("<HH", first, last - first + 1)
        data += struct.pack(f"<{last - first + 1}H",
                            *(index[characters[chr(c)]] if chr(c) in characters else 0xFFFF
                              for c in range(first, last + 1)))
    data += struct.pack("<H", len(HAN_RANGES))
    for first, last in HAN_RANGES:
        data += struct.pack("<HH", first, last - first + 1)
        data += bytes(cost(frequencies.get(chr(c), UNLISTED_FREQUENCY))
                      for c in range(first, last + 1))
    data += struct.pack("<I", len(phrases))
    for key, readings in sorted(phrases.items()):
        data += struct.pack("<B", len(key))
        data += struct.pack(f"<{len(key)}H", *(ord(c) for c in key))
        data += struct.pack(f"<{len(key)}H", *(index[r] for r in readings))
        data += struct.pack("<B", costs[key] if key in costs
                            else cost(frequencies.get(key, UNLISTED_FREQUENCY)))
    with open(out, "wb") as f:
        f.write(data)
    return len(syllables), len(data)


def surname_phrases(surnames, readings, phrases):
    """姓 and a one-character surname read as a surname where that differs from the character's
    common reading (姓单 xìng shàn, 姓曾 xìng zēng); surnames of two characters as they are, unless
    a phrase of the sources reads them already."""
    found = {}
    for name, reading in surnames.items():
        if len(reading) != len(name) or not all(map(is_syllable, reading)):
            continue
        if len(name) == 1 and readings.get(name) != reading[0]:
            found["姓" + name] = ["xìng"] + reading
        elif len(name) > 1:
            found["姓" + name] = ["xìng"] + reading
            if name not in phrases:
                found[name] = reading
    return found


def adverb_phrases(readings, phrases):
    """Each of ADVERBS with 地 de, and with each of PLACE_WORDS read as the words are."""
    def read(text):
        if text in phrases:
            return list(phrases[text])
        return [readings[c] for c in text]
    found = {}
    for word in ADVERBS:
        found[word + "地"] = read(word) + ["de"]
        for place in PLACE_WORDS:
            found[word + place] = read(word) + read(place)
    return found


# A phrase made here from pieces that the sources read (三 and 行, 重 and 连) has no frequency of its
# own (a phrase of the sources read anew, 多行, keeps the sources'): it costs what its pieces cost apart, less JOINED_BONUS (in the table's eighths of a nat), so
# that it wins over reading its pieces one by one but not over a word of the sources that overlaps
# it (你得 before 去, but 你 得到 了).
JOINED_BONUS = 24


class Joiner:
    """Phrases joined from pieces, each piece read as the sources read it unless told otherwise."""

    def __init__(self, readings, phrases, frequencies):
        self.readings, self.phrases, self.frequencies = readings, phrases, frequencies
        self.found, self.costs = {}, {}

    def read(self, text):
        if text in self.phrases:
            return list(self.phrases[text])
        return [self.readings[c] for c in text]

    def cost(self, text):
        if len(text) == 1 or text in self.phrases:
            return cost(self.frequencies.get(text, UNLISTED_FREQUENCY))
        return sum(self.cost(c) for c in text)

    def join(self, *pieces):
        """Each piece is a text, or a text and its reading."""
        pieces = [(p, None) if isinstance(p, str) else p for p in pieces]
        texts = [text for text, _ in pieces]
        key = "".join(texts)
        self.found[key] = [r for text, reading in pieces
                           for r in (reading.split() if reading else self.read(text))]
        if key not in self.phrases and key not in self.frequencies:
            self.costs[key] = max(0, min(255, sum(map(self.cost, texts)) - JOINED_BONUS))


def complement_de(phrases):
    """The phrases X得Y whose 得 joins the complement Y, read de (see COMPLEMENTS)."""
    found = {}
    for key, reading in phrases.items():
        if (len(key) == 3 and key[1] == "得" and reading[1] == "dé" and key[2] in COMPLEMENTS
                and key[0] not in NOT_COMPLEMENTED
                and phrases.get(key[:2], [None, None])[1] != "dé"):
            found[key] = [reading[0], "de", reading[2]]
    return found


def joined_phrases(readings, phrases, frequencies):
    """行 háng where lines are counted, ordered or placed; 重 chóng before REDO_VERBS; VERB_SENSES;
    为 wéi after
    BECOME_WORDS, 得 děi after MUST_WORDS and 只 zhī after ANIMAL_COUNTS where the sources have no
    such phrase: their readings and their costs."""
    joiner = Joiner(readings, phrases, frequencies)
    counts = list(LINE_COUNTS)
    for n in range(1, 100):
        counts.append(chinese_number(n))
        joiner.join("第", chinese_number(n), ("行", "háng"))
    for count in counts:
        if count in LINE_OVERRIDES:
            joiner.join((count, LINE_OVERRIDES[count]), ("行", "háng"))
        elif count + "行" not in phrases:
            joiner.join(count, ("行", "háng"))
    for part in LINE_PARTS:
        joiner.join(("行", "háng"), part)
    for thing in LINE_THINGS:
        joiner.join(thing, ("行", "háng"))
    for verb in REDO_VERBS:
        joiner.join(("重", "chóng"), verb)
    for value in BECOME_VALUES:
        joiner.join(("为", "wéi"), value)
    for verb, (reading, followers) in VERB_SENSES.items():
        for follower in followers.split():
            joiner.join((verb, reading), follower)
    for words, last, reading in ((BECOME_WORDS, "为", "wéi"), (MUST_WORDS, "得", "děi"),
                                 (ANIMAL_COUNTS, "只", "zhī")):
        for word in words:
            if word + last not in phrases:
                joiner.join(word, (last, reading))
    return joiner.found, joiner.costs


def build(args):
    """The character readings and the phrases of the table, and a note of where they came from."""
    characters, phrases = read_source(args.package)
    pro_characters, pro_phrases, surnames = read_pinyin_pro(args.pinyin_pro)
    # A phrase's reading is checked against what either character dictionary lists.
    listed = {c: list(rs) for c, rs in characters.items()}
    for c, rs in pro_characters.items():
        listed.setdefault(c, []).extend(r for r in rs if r not in listed.get(c, []))
    kept, dropped = clean_phrases(listed, phrases)
    # pinyin-pro's phrases are the ones that read a character otherwise than most often: they win
    # over the older source's reading of the same phrase.
    pro_kept, pro_dropped = clean_phrases(listed, pro_phrases)
    for key in ERRATA:
        pro_kept.pop(key, None)
    kept.update(pro_kept)
    words = read_words(args.words)
    readings = icu_readings()
    # The most common reading of a character is pinyin-pro's first; ICU's Han-Latin reading stands
    # for the characters it lacks.
    for c, rs in pro_characters.items():
        if len(c) == 1 and ord(c) <= 0xFFFF and rs and is_syllable(rs[0]):
            readings[c] = CITATION.get(c, rs[0])
    readings.update(CHARACTER_READINGS)
    # The words of @pinyin-pro/data with their frequencies: their readings win over the older
    # phrases' but for the neutral tone, which the earlier sources write in full (时候 shí hòu) and
    # which the table keeps so (a new word's neutral tone becomes its character's reading when
    # that reading differs only by its tone).
    word_kept, word_dropped = clean_phrases(listed, {w: r for w, (r, _) in words.items()
                                                     if len(w) > 1})
    for word, reading in word_kept.items():
        if word in kept:
            if all(ours == theirs or (toneless(theirs) == theirs and toneless(ours) == theirs)
                   for ours, theirs in zip(kept[word], reading)):
                continue
        else:
            reading = [readings[c] if toneless(r) == r and toneless(readings.get(c, "")) == r
                       else r for c, r in zip(word, reading)]
        kept[word] = reading
    for key in NOT_PHRASES:
        kept.pop(key, None)
    surnames.update({name: reading.split() for name, reading in SURNAMES.items()})
    named = surname_phrases(surnames, readings, kept)
    kept.update(named)
    for key, reading in PLACES.items():
        kept[key] = reading.split()
    kept.update(adverb_phrases(readings, kept))
    kept.update(complement_de(kept))
    frequencies = {w: f for w, (_, f) in words.items()}
    made, costs = joined_phrases(readings, kept, frequencies)
    kept.update(made)
    for key, reading in ERRATA.items():
        kept[key] = reading.split()
    # Phrases with a character the table does not read could never match a run of read characters.
    kept = {k: r for k, r in kept.items() if all(c in readings for c in k)}
    note = (f"{dropped} of pinyin's, {pro_dropped} of pinyin-pro's and {word_dropped} of the "
            f"words dropped, {len(named)} from surnames")
    return readings, kept, frequencies, costs, note


def command_table(args):
    readings, kept, frequencies, costs, note = build(args)
    syllables, size = write_table(readings, kept, frequencies, costs, args.out)
    print(f"{args.out}: {syllables} syllables, {len(readings)} characters, {len(kept)} phrases "
          f"({note}), {size} bytes")


# ---- the documents ------------------------------------------------------------------------------

PACKAGES = ["python-jieba-doc", "debian-faq-zh-cn", "manpages-zh", "maint-guide-zh-cn",
            "debian-reference-zh-cn"]
HAN = re.compile("[\u3400-\u4dbf\u4e00-\u9fff]")


def command_fetch(args):
    os.makedirs(args.sources, exist_ok=True)
    subprocess.run(["apt-get", "download"] + PACKAGES, cwd=args.sources, check=True)
    for name in sorted(os.listdir(args.sources)):
        if name.endswith(".deb"):
            subprocess.run(["dpkg", "-x", name, "."], cwd=args.sources, check=True)


def chinese(sentence, share):
    return len(HAN.findall(sentence)) >= max(1, share * len(sentence)) and "\ufffd" not in sentence


def split_sentences(paragraph_text, share=0.3):
    found = [s for joined in joined_paragraphs(paragraph_text, HAN) for s in sentences(joined)]
    return [s for s in found if s and chinese(s, share)]


def jieba_sentences(sources):
    """Every Chinese line of jieba's examples (string literals and sample texts), by sentence."""
    root = os.path.join(sources, "usr/share/doc/python-jieba-doc/examples")
    found = []
    for folder, _, names in sorted(os.walk(root)):
        for name in sorted(names):
            if not name.endswith((".py", ".txt")) or name.startswith(("dict", "idf", "stop")):
                continue
            with open(os.path.join(folder, name), encoding="utf-8", errors="replace") as f:
                for run in re.findall(r"[^\"'\n]*[\u4e00-\u9fff][^\"'\n]*", f.read()):
                    found += sentences(run.strip())
    return [s for s in found if HAN.search(s) and "\ufffd" not in s]


def faq_sentences(sources):
    path = os.path.join(sources, "usr/share/doc/debian/FAQ/debian-faq.zh-cn.txt.gz")
    with gzip.open(path, "rt", encoding="utf-8", errors="replace") as f:
        return split_sentences(f.read())


def maint_guide_sentences(sources):
    path = os.path.join(sources, "usr/share/doc/maint-guide-zh-cn/maint-guide.zh-cn.txt.gz")
    with gzip.open(path, "rt", encoding="utf-8", errors="replace") as f:
        return split_sentences(f.read())


def reference_sentences(sources):
    root = os.path.join(sources, "usr/share/debian-reference")
    text = ""
    for name in sorted(os.listdir(root)):
        if name.endswith(".zh-cn.html"):
            with open(os.path.join(root, name), encoding="utf-8", errors="replace") as f:
                page = f.read()
            page = re.sub(r"<(script|style|pre)[^>]*>.*?</\1>", "\n", page, flags=re.S)
            page = re.sub(r"<(p|div|br|li|tr|h\d|dt|dd|td|th)[^>]*>", "\n\n", page)
            text += html.unescape(re.sub(r"<[^>]+>", "", page)) + "\n\n"
    return split_sentences(text)


def man_sentences(sources):
    root = os.path.join(sources, "usr/share/man/zh_CN")
    return [s for line in man_page_lines(root) for s in sentences(line)
            if "\\" not in s and chinese(s, 0.4)]


DOCUMENTS = {
    "jieba": jieba_sentences,
    "faq": faq_sentences,
    "man": man_sentences,
    "maint-guide": maint_guide_sentences,
    "debian-reference": reference_sentences,
}


def command_sentences(args):
    os.makedirs(args.dir, exist_ok=True)
    for name, read in DOCUMENTS.items():
        seen, kept = set(), []
        for sentence in read(args.sources):
            sentence = " ".join(sentence.split())
            if sentence and sentence not in seen:
                seen.add(sentence)
                kept.append(sentence)
        with open(os.path.join(args.dir, name + ".txt"), "w", encoding="utf-8") as f:
            f.write("".join(s + "\n" for s in kept))
        print(f"{name}: {len(kept)} sentences, "
              f"{sum(len(HAN.findall(s)) for s in kept)} Han characters")


# ---- the reference ------------------------------------------------------------------------------

REFERENCE_SCRIPT = r"""
const { pinyin } = require(process.argv[1]);
const lines = require('fs').readFileSync(0, 'utf8').split('\n');
if (lines.length && lines[lines.length - 1] === '') lines.pop();
const out = [];
for (const line of lines) {
  let index = 0;
  const cells = [];
  for (const e of pinyin(line, { type: 'all', toneSandhi: false })) {
    if (e.isZh) cells.push(index + ':' + e.pinyin);
    index += e.origin.length;
  }
  if (index !== line.length) throw new Error('misaligned: ' + line);
  out.push(cells.join(' '));
}
process.stdout.write(out.join('\n') + '\n');
"""


def escape(text):
    return text.replace("\\", "\\\\").replace("\t", "\\t")


def command_reference(args):
    with open(args.sentences, encoding="utf-8") as f:
        sentences = [line.rstrip("\n") for line in f if line.strip()]
    run = subprocess.run(["node", "-e", REFERENCE_SCRIPT, os.path.abspath(args.pinyin_pro)],
                         input="".join(s + "\n" for s in sentences), capture_output=True,
                         text=True, check=True)
    readings = run.stdout.split("\n")[: len(sentences)]
    with open(args.out, "w", encoding="utf-8") as f:
        f.write("# sentence\treading of pinyin-pro 3.29.4 (toneSandhi off): index:syllable, "
                "index in UTF-16 units\n")
        for sentence, reading in zip(sentences, readings):
            if reading:
                f.write(f"{escape(sentence)}\t{reading}\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    sub = parser.add_subparsers(dest="command", required=True)
    p = sub.add_parser("table", help="write the phrase table")
    p.add_argument("package", help="the unpacked npm package pinyin@4.0.0 (its package/ folder)")
    p.add_argument("pinyin_pro", help="the unpacked npm package pinyin-pro@3.29.4 (package/)")
    p.add_argument("words", help="the unpacked npm package @pinyin-pro/data@1.3.1 (package/)")
    p.add_argument("out")
    p.set_defaults(run=command_table)
    p = sub.add_parser("fetch", help="download and unpack the Debian documentation")
    p.add_argument("sources")
    p.set_defaults(run=command_fetch)
    p = sub.add_parser("sentences", help="write the documents' sentences, one a line")
    p.add_argument("sources")
    p.add_argument("dir")
    p.set_defaults(run=command_sentences)
    p = sub.add_parser("reference", help="write the reference readings of sentences")
    p.add_argument("pinyin_pro", help="the unpacked npm package pinyin-pro (its package/ folder)")
    p.add_argument("sentences")
    p.add_argument("out")
    p.set_defaults(run=command_reference)
    args = parser.parse_args()
    args.run(args)


if __name__ == "__main__":
    main()
