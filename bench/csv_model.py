#!/usr/bin/env python3
"""Packages without a byte-order mark, read by the CSV reader's guess.

    python3 bench/csv_model.py BUILD/bench/csv_guess [OTHER/csv_guess ...] [--seed N] [--keep DIR]

Writes a model of packages into a folder (GBK names behind an ASCII header;
GBK labels glued to ASCII letters and digits, products by brand and model,
the commonest words of a frequency list alone, beside a URL or two in a row;
genuine UTF-8 in the languages of the system's .mo catalogues, also glued to
Chinese words, and pinyin with tone marks; damaged UTF-8), runs each
csv_guess over it and prints per group the share read wrong: GBK packages
not read as GB18030, UTF-8 ones (genuine or damaged) read as GB18030.

The word frequencies are jieba's dictionary (Debian package python3-jieba).
"""
import argparse, collections, itertools, glob, gettext, os, random, re, shutil, subprocess, sys, tempfile

SURNAMES = ("王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘于蒋蔡余杜叶程苏魏吕丁"
            "任沈姚卢姜崔钟谭陆汪范金石廖贾夏韦付方白邹孟熊秦邱江尹薛闫段雷侯龙史陶黎贺顾毛郝龚邵万钱严覃武戴莫孔向汤")
GIVEN = ("伟芳娜敏静丽强磊军洋勇艳杰娟涛明超秀霞平刚桂英华玉兰萍红鹏辉建文斌宇浩凯健俊帆帅旭宁欣怡佳琪梦雪晨阳"
         "博思雨涵子轩诗琳嘉泽然睿婷颖倩蕾晓云飞海波志国庆春燕峰林亮鑫磊琴慧莉晶")
# Given-name characters outside GB2312 (GBK only): those the guess was tuned
# on, and others it is measured on.
RARE_TUNED = "喆珺琇旸堃玥祎昇瑄璟彧曌"
RARE_HELD = "燊焜琤瑢瑀珣晞暐烜祐赟頔濛甦芃飏沄"
WORDS = ("入场券 门票 会员卡 一等奖 员工证 前台 食堂 停车证 优惠券 报名表 签到 学校 小学 工号 部门 销售部 "
         "技术部 产品 苹果 手机 平板 北京 上海 广州 深圳 会议室 嘉宾 贵宾 礼品 实验室 图书馆 会议室（301） "
         "一等奖！ “贵宾” 第①组 ★五星 ￥100 3号楼 A区 100元/人 VIP会员 iPhone手机 QQ群 B座301 T恤 Wi-Fi密码").split()
# Symbols ASCII text holds beside its words.
SYMBOLS = "° € £ © ® ™ — – … “ ” ‘ ’ • · × ± µ § ½ ² → ✓ ★ ♥ ， 。 ¥ № ¢ ¼ ³ ¶ « » ¿ ¡ ÷ ¬ ¦ ¤ ¨ ¯ ´ ¸ ¹ º ª".split()
ASCII_WORDS = "Price Room Ticket Guest Coffee Order Total Size Note Item Level North Hall".split()
HEADERS = ["name,content", "name,text", "id,text", "name,url", "filename,data", "name,value"]
EMOJI = ["😀", "😂", "❤️", "👍", "🎉", "🔥", "☕", "✅", "⭐", "🤣", "🥰", "🥺", "🧑‍💻", "👍🏽", "🥲", "🫶",
         "🥹", "🫠", "🫡", "🩷", "🪿"]
NEW_EMOJI = ["🥹", "🫠", "🫡", "🫶", "🩷", "🪿"]
STRAY = [b"Caf\xe9s", b"caf\xe9", b"na\xefve", b"M\xfcller", b"\x93ok\x94", b"it\x92s", b"5\x80", b"\xa3" b"12",
         b"Stra\xdfe", b"S\xe3o", b"\xe9t\xe9", b"Z\xfcrich", b"1\x962"]


# Labels of places, each a Chinese word glued to ASCII letters and digits,
# in three sets of words and shapes: "a" and "b" were looked at while the
# guess was made, "held" only measured.
ZONE_WORDS = {"held": "车库 展区 阅览室 候诊室 会客厅 休息室 报告厅 操场 球场 码头 泊位 闸口 安检口 收费站 服务区 加油站 "
                      "值班室 配电室 档案室 更衣室 地块 片区 营区 病区 床位 楼层 寝室 自习室 机位 舱位".split(),
              "a": "区 座 栋 楼 层 室 号 门 口 厅 馆 会议室 展厅 停车场 仓库 宿舍 教室 病房 出口 通道 看台 包间 货架 展位".split(),
              "b": "区 座 栋 幢 单元 号楼 排 列 组 柜 窗口 站台 车位 登机口 检票口 实验室 办公室 入口 电梯 候车室 卡座 "
                      "包厢 餐厅 机房 库房 园区 大厦 广场 车间 工位".split()}
ZONE_SHAPES = {"a": ["{L}{w}", "{w}{L}", "{L}{w}{n}", "{w}{L}{n}", "{n}{w}{L}", "{L}{n}{w}"],
               "b": ["{L}{w}", "{L}{w}{n}", "{n}号楼{L}座", "{w}{L}{n}", "{L}区{n}排{n}号", "{L}座{n}{w}",
                        "{n}{w}{L}{n}", "{w}{L}{L}"],
               "held": ["{w}{L}{n}号", "{L}{n}-{w}", "{n}{L}{w}", "{w}-{L}{n}", "{L}{w}{L}", "{n}层{w}{L}",
                        "{L}{n}{w}{n}"]}
BRANDS = ("华为 小米 苹果 联想 荣耀 魅族 三星 索尼 佳能 尼康 戴尔 惠普 海尔 格力 美的 比亚迪 理想 蔚来 小鹏 大疆 一加 红米 "
          "中兴 长虹 海信 创维 奥迪 宝马 奔驰 大众 丰田 本田 吉利 长城 飞利浦 松下 东芝 华硕 宏碁 雷蛇 罗技 漫步者 科大讯飞 "
          "九阳 苏泊尔 方太 老板 美图 步步高 真我 酷派 金立 魅蓝 传音").split()
MODELS = ("P60 Mate60 SU7 iPad iPhone15 X100 K70 Note13 Pro Air Max Mini S23 A7 Z9 Q5 X5 GT RS7 "
          "MacBook ThinkPad Yoga Watch Buds Pad5 V30 Y9s M1 L9 ES6 P7i T5 Xperia EOS R6 D850 XPS G3 Civic Model3").split()
HELD_BRANDS = "海康 萤石 追觅 科沃斯 小度 天猫 京东 万和 奥克斯 志高 欧普 雷士 公牛 德力西 正泰 得力 晨光 安踏 李宁 特步".split()
HELD_MODELS = "Pura70 Nova12 Reno11 FindX7 K60 C15 Y36 S8 T10 A1 Q10 Mix4 Fold5 Flip3 Pro14 Ultra2 Lite5 H6 X9 M8".split()
BRAND_SHAPES = ["{b}{m}", "{b}{m}", "{b}{m}{c}", "{b}{c}{m}", "{m}{c}", "{b}{m} {m}"]
PINYIN = ("ni hao zhong guo bei jing shang hai xie xie xue xiao tong zhi ping tai mo shi peng you lao shi ma ma "
          "ba ba chi fan he shui xiang gang tai wan ren min da jia qing wen dui bu qi mei guan xi zai jian huan ying "
          "guang zhou shen zhen hang zhou nan jing xi an cheng du chong qing wu han tian jin su zhou").split()


def tone(syllable, mark):
    """A pinyin syllable with its tone mark: on a or e, on the o of ou, else on the last vowel."""
    marks = {"a": "āáǎà", "e": "ēéěè", "i": "īíǐì", "o": "ōóǒò", "u": "ūúǔù", "ü": "ǖǘǚǜ"}
    at = next((syllable.index(v) for v in "ae" if v in syllable), None)
    if at is None:
        at = syllable.index("o") if "ou" in syllable else max(syllable.rfind(v) for v in "iouü")
    return syllable[:at] + marks[syllable[at]][mark] + syllable[at + 1:]


def frequent_words(count=20000, characters=False):
    """The commonest words of two characters or more of jieba's dictionary (or
    its commonest single characters), all in GB2312, with their frequencies."""
    path = "/usr/lib/python3/dist-packages/jieba/dict.txt"
    if not os.path.exists(path):
        sys.exit("csv_model.py: %s is missing: apt-get install python3-jieba" % path)
    entries = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            word, freq = line.split()[:2]
            if all("\u4e00" <= c <= "\u9fff" for c in word) and (len(word) == 1) == characters:
                try:
                    word.encode("gb2312")
                except UnicodeEncodeError:
                    continue
                entries.append((int(freq), word))
    entries.sort(reverse=True)
    return [w for _, w in entries[:count]], [f for f, _ in entries[:count]]


def content(rng):
    kind = rng.randrange(5)
    if kind == 0:
        return rng.choice(WORDS)
    if kind == 1:
        url = rng.choice(["https://example.cn/t?id=%d", "http://a.cn/%d", "https://www.qr-test.com/p/%d"])
        return url % rng.randrange(1, 99999)
    if kind == 2:
        return "WIFI:S:%s;T:WPA;P:%08d;;" % (rng.choice(["前台-5G", "Office", "会议室", "Guest-2.4G"]), rng.randrange(10**8))
    if kind == 3:
        return str(rng.choice([13800138000, 1, 20240501, 10086]) + rng.randrange(1000))
    return rng.choice(["u", "A", "No."]) + str(rng.randrange(1, 1000))


def name(rng, surname=None, rare=None):
    given = [rng.choice(GIVEN) for _ in range(rng.choice([1, 2]))]
    if rare:
        given[rng.randrange(len(given))] = rare
    return (surname or rng.choice(SURNAMES)) + "".join(given)


def package(rng, rows):
    end = rng.choice(["\r\n", "\n"])
    text = end.join([rng.choice(HEADERS)] + [",".join(r) for r in rows])
    return text + (end if rng.random() < 0.8 else "")


def catalogue_words():
    """Words of each language's .mo catalogues, non-ASCII ones first."""
    words = {}
    for folder in sorted(glob.glob("/usr/share/locale/*/LC_MESSAGES")):
        lang = folder.split("/")[-2]
        if lang.startswith("en") or "@" in lang:
            continue
        found = set()
        for path in sorted(glob.glob(folder + "/*.mo"))[:12]:
            try:
                with open(path, "rb") as f:
                    values = gettext.GNUTranslations(f)._catalog.values()
            except Exception:
                continue
            for value in values:
                if isinstance(value, str) and not re.search(r"[%$_<>{}\\\n]", value):
                    found.update(w for w in re.split(r"[\s,.;:!?()\[\]\"'/|=*+&#@-]+", value) if 2 <= len(w) <= 16)
        foreign = sorted(w for w in found if not w.isascii())
        if len(foreign) >= 40:
            words[lang] = foreign
    return words


def damage(rng, data):
    """A word with a stray Latin-1/CP1252 byte, a cut last character or one flipped bit."""
    kind = rng.randrange(3)
    multi = [i for i, b in enumerate(data) if b >= 0xC0]
    if kind == 0 or not multi:
        at = rng.choice([i for i, b in enumerate(data) if b in b",\n"])
        return "stray", data[:at] + b"," + rng.choice(STRAY) + data[at:]
    if kind == 1:
        at = multi[-1]
        size = 2 if data[at] < 0xE0 else 3 if data[at] < 0xF0 else 4
        return "cut", data[:at + rng.randrange(1, size)]
    at = rng.choice(multi) + rng.randrange(0, 2)
    return "flip", data[:at] + bytes([data[at] ^ (1 << rng.randrange(8))]) + data[at + 1:]


def utf8_rows(rng, words, other, emoji):
    rows = []
    for _ in range(rng.choice([1, 1, 2, 3])):
        row = [" ".join(rng.choice(words) for _ in range(rng.choice([1, 1, 2]))) for _ in range(2)]
        if other:
            row[rng.randrange(2)] = rng.choice(other)
        if emoji:
            row[1] += rng.choice(["", " "]) + rng.choice(EMOJI if emoji == "any" else NEW_EMOJI)
        rows.append(row)
    return rows


def model(rng, out):
    counter = collections.Counter()

    def put(group, data):
        counter[group] += 1
        with open(os.path.join(out, "%s_%06d.csv" % (group, counter[group])), "wb") as f:
            f.write(data)

    gbk = lambda rows: package(rng, rows).encode("gbk")
    for n in (1, 2, 3):
        for _ in range(3000):
            put("gbk-common-%d" % n, gbk([[name(rng), content(rng)] for _ in range(n)]))
        for group, rare in (("tuned", RARE_TUNED), ("held", RARE_HELD)):
            for surname in SURNAMES:
                for c in rare:
                    rows = [[name(rng), content(rng)] for _ in range(n)]
                    rows[rng.randrange(n)][0] = name(rng, surname, c)
                    put("gbk-rare-%s-%d" % (group, n), gbk(rows))
    for _ in range(3000):
        # ASCII words and numbers with a symbol or two, and a damaged copy.
        sign = lambda: rng.choice(["%(s)s", "%(n)d%(s)s", "%(s)s%(n)d", "%(w)s %(s)s", "%(w)s%(s)s", "%(s)s %(w)s",
                                   "%(s)s%(w)s"]) % {"s": rng.choice(SYMBOLS + EMOJI), "n": rng.randrange(1, 1000),
                                                     "w": rng.choice(ASCII_WORDS)}
        rows = [[rng.choice([rng.choice(ASCII_WORDS), sign()]), sign()] for _ in range(rng.choice([1, 1, 2, 3]))]
        data = package(rng, rows).encode("utf-8")
        put("utf8-symbols", data)
        how, bad = damage(rng, data)
        put("damaged-%s-symbols" % how, bad)
    words = catalogue_words()
    zh = [w for w in words.get("zh_CN", []) if all("\u4e00" <= c <= "\u9fff" for c in w)]
    langs = sorted(words)
    for lang in langs:
        for kind, other, emoji in (("alone", None, None), ("zh", zh, None), ("mixed", None, None),
                                   ("emoji", None, "any"), ("new-emoji", None, "new")):
            for _ in range(60 if kind in ("alone", "zh") else 30):
                # Beside words of another language, in whatever script it has.
                beside = words[rng.choice(langs)] if kind == "mixed" else other
                data = package(rng, utf8_rows(rng, words[lang], beside, emoji)).encode("utf-8")
                put("utf8-%s" % kind, data)
                how, bad = damage(rng, data)
                put("damaged-%s%s" % (how, "-emoji" if emoji else ""), bad)
    # Shapes added later, drawn after the others so that those stay the same packages.
    # Labels glued to ASCII letters and digits, products by brand and model.
    letter = lambda: rng.choice("ABCDEFGHJKLMNPQRSTUVWXYZ") if rng.random() < 0.9 else rng.choice("abcdefgh")
    url = lambda: rng.choice(["https://m.example.cn/%s", "http://a.cn/%s", "https://www.qr-test.com/p/%s"]) \
        % rng.randrange(1, 99999)
    for part in ("a", "b"):
        for n in (1, 3, 10):
            for _ in range(2000):
                rows = [[zone(rng, part, letter), rng.choice([url(), content(rng)])] for _ in range(n)]
                put("gbk-zone-%s-%d" % (part, n), gbk(rows))
    freq_words, freqs = frequent_words()
    cumulative = list(itertools.accumulate(freqs))
    common = lambda: rng.choices(freq_words, cum_weights=cumulative)[0]
    for n in (1, 3):
        for _ in range(3000):
            rows = [[rng.choice(BRAND_SHAPES).format(b=rng.choice(BRANDS), m=rng.choice(MODELS), c=common()),
                     rng.choice([url(), content(rng)])] for _ in range(n)]
            put("gbk-brand-%d" % n, gbk(rows))
    for n in (1, 2, 3):
        for _ in range(10000 if n == 1 else 3000):
            put("gbk-word-%d" % n, gbk([[common()] if rng.random() < 0.5 else [common(), url()] for _ in range(n)]))
    for _ in range(10000):
        put("gbk-two-words-1", gbk([[common(), common()]]))
    # A character alone: one letter or sign, or two bad bytes, under UTF-8.
    chars, char_freqs = frequent_words(3000, characters=True)
    char_cumulative = list(itertools.accumulate(char_freqs))
    for _ in range(3000):
        char = rng.choices(chars, cum_weights=char_cumulative)[0]
        put("gbk-character-1", gbk([[char] if rng.random() < 0.5 else [char, url()]]))
    # Letters of other alphabets glued to Chinese words, and pinyin.
    accented = {lang: [w for w in words[lang] if any(c.isalpha() for c in w)] for lang in langs}
    for _ in range(10000):
        lang = rng.choice(langs)
        word, han = rng.choice(accented[lang] or words[lang]), common()
        glued = rng.choice([word + han, han + word, word + " " + han])
        rows = [[glued, rng.choice([url(), content(rng), common()])]]
        put("utf8-glued", package(rng, rows).encode("utf-8"))
    for _ in range(5000):
        syllables = [tone(rng.choice(PINYIN), rng.randrange(4)) for _ in range(rng.choice([1, 2, 2, 3]))]
        text = rng.choice(["".join(syllables), " ".join(syllables)])
        text = rng.choice([text, text + common(), common() + text, text.capitalize()])
        data = package(rng, [[text, rng.choice([url(), content(rng)])] for _ in range(rng.choice([1, 1, 2]))])
        put("utf8-pinyin", data.encode("utf-8"))
    # Measured only: zone labels and products of words and brands not looked
    # at while the guess was made, and genuine UTF-8 units after numbers.
    for n in (1, 3, 10):
        for _ in range(2000):
            put("gbk-zone-held-%d" % n, gbk([[zone(rng, "held", letter), rng.choice([url(), content(rng)])]
                                             for _ in range(n)]))
    for n in (1, 3):
        for _ in range(2000):
            rows = [[rng.choice(BRAND_SHAPES).format(b=rng.choice(HELD_BRANDS), m=rng.choice(HELD_MODELS), c=common()),
                     rng.choice([url(), content(rng)])] for _ in range(n)]
            put("gbk-brand-held-%d" % n, gbk(rows))
    # A second held set, and words of the Chinese .mo catalogues (another
    # source of real text than the frequency list) saved as GBK.
    zones2 = "候机楼 行李区 取票口 隔间 楼梯口 单间 标间 套房 商铺 摊位 档口 货柜 储物柜 信箱 站点 网点 门店 专柜 展台 机柜".split()
    shapes2 = ["{L}{w}", "{w}{L}{n}", "{n}{w}", "{L}{n}{w}", "{w}{n}{L}"]
    for n in (1, 3):
        for _ in range(2000):
            rows = []
            for _ in range(n):
                text = rng.choice(shapes2).replace("{w}", rng.choice(zones2)).replace("{L}", letter())
                rows.append([text.replace("{n}", str(rng.randrange(1, 300))), rng.choice([url(), content(rng)])])
            put("gbk-zone-held2-%d" % n, gbk(rows))
    brands2 = "格兰仕 康佳 小天鹅 西门子 博世 佳明 华米 乐视 暴风 极米 坚果 倍思 绿联 品胜 罗马仕 漫步者 索泰 七彩虹 影驰 铭瑄".split()
    models2 = "G7 Z5 Air3 Neo2 Pro5 S20 V8 X3 P12 Mini4 Go Plus Max2 E10 R9 Q3 T7 W5 K9 U2".split()
    for n in (1, 3):
        for _ in range(2000):
            rows = [[rng.choice(BRAND_SHAPES).format(b=rng.choice(brands2), m=rng.choice(models2), c=common()),
                     rng.choice([url(), content(rng)])] for _ in range(n)]
            put("gbk-brand-held2-%d" % n, gbk(rows))
    for n in (1, 3):
        for _ in range(3000):
            rows = [[rng.choice(zh)] if rng.random() < 0.5 else [rng.choice(zh), url()] for _ in range(n)]
            put("gbk-catalogue-%d" % n, gbk(rows))
    units = "кг мм см км мг мл шт гр м л г т кВт мин".split()
    russian = [w for w in words.get("ru", []) if all("\u0400" <= c <= "\u04ff" for c in w)]
    for _ in range(3000):
        rows = [[rng.choice(russian), "%d %s" % (rng.randrange(1, 1000), rng.choice(units))]
                for _ in range(rng.choice([1, 1, 2, 3]))]
        if rng.random() < 0.3:
            rows = [[str(rng.randrange(1, 99)), "%d %s" % (rng.randrange(1, 1000), rng.choice(units))]]
        put("utf8-units", package(rng, rows).encode("utf-8"))
    return counter


def zone(rng, part, letter):
    text = rng.choice(ZONE_SHAPES[part]).replace("{w}", rng.choice(ZONE_WORDS[part]))
    while "{L}" in text:
        text = text.replace("{L}", letter(), 1)
    while "{n}" in text:
        text = text.replace("{n}", str(rng.randrange(1, 40)), 1)
    return text


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("harness", nargs="+")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--keep", help="write the packages here and keep them")
    args = parser.parse_args()
    out = args.keep or tempfile.mkdtemp(prefix="csv_model_")
    os.makedirs(out, exist_ok=True)
    sizes = model(random.Random(args.seed), out)
    wrong = []
    for harness in args.harness:
        counts = collections.Counter()
        for line in subprocess.run([harness, out], check=True, capture_output=True, text=True).stdout.splitlines():
            file, letter = line.rsplit("\t", 1)
            group = file.rsplit("_", 1)[0]
            counts[group] += (letter != "G") if group.startswith("gbk") else (letter == "G")
        wrong.append(counts)
    print("%-22s %6s" % ("group", "files") + "".join(" %13s" % ("wrong #%d" % (n + 1)) for n in range(len(wrong))))
    for group in sorted(sizes):
        print("%-22s %6d" % (group, sizes[group])
              + "".join(" %5d %6.2f%%" % (w[group], 100.0 * w[group] / sizes[group]) for w in wrong))
    if not args.keep:
        shutil.rmtree(out)


if __name__ == "__main__":
    sys.exit(main())
