#!/usr/bin/env python3
"""Packages without a byte-order mark, read by the CSV reader's guess.

    python3 bench/csv_model.py BUILD/bench/csv_guess [OTHER/csv_guess ...] [--seed N] [--keep DIR]

Writes a model of packages into a folder (GBK names behind an ASCII header,
genuine UTF-8 in the languages of the system's .mo catalogues, damaged
UTF-8), runs each csv_guess over it and prints per group the share read
wrong: GBK packages not read as GB18030, UTF-8 ones (genuine or damaged)
read as GB18030.
"""
import argparse, collections, glob, gettext, os, random, re, shutil, subprocess, sys, tempfile

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
    return counter


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
