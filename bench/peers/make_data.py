#!/usr/bin/env python3
"""Writes the same shelf tags for both programs: N large-tag sheet files (24 tags each, code page
932) for tanafuda-render, and one CSV of N x 24 rows (UTF-8, first line the column names) for
glabels-3-batch.  Usage: make_data.py N OUTDIR"""
import os
import sys


def check_digit(data):
    total = sum(int(d) * (3 if (len(data) - i) % 2 == 1 else 1) for i, d in enumerate(data))
    return str((10 - total % 10) % 10)


def tags(count):
    makers = ["山田製菓", "佐藤食品", "鈴木乳業", "田中商店"]
    names = ["いちご大福", "抹茶ようかん", "牛乳 1L", "せんべい詰合せ", "緑茶ティーバッグ"]
    for n in range(count):
        data = "49" + f"{(1000003 * n + 12345) % 10**10:010d}"
        yield {
            "jan": data + check_digit(data),
            "maker": makers[n % len(makers)],
            "name": names[n % len(names)] + f" {n + 1}",
            "spec": f"{(n % 9) + 1}個入",
            "lot": f"ロット{n % 100:02d}",
            "price": str(98 + 37 * (n % 200)),
        }


def main():
    sheets = int(sys.argv[1])
    out = sys.argv[2]
    os.makedirs(out, exist_ok=True)
    rows = list(tags(24 * sheets))
    with open(os.path.join(out, "tags.csv"), "w", encoding="utf-8", newline="") as f:
        f.write("jan,maker,name,spec,lot,price\n")
        for r in rows:
            f.write(",".join(r[k] for k in ("jan", "maker", "name", "spec", "lot", "price")) + "\n")
    for s in range(sheets):
        lines = ["大きい棚札"]
        for slot in range(1, 25):
            r = rows[24 * s + slot - 1]
            fields = [f"{slot:2d}", r["jan"], r["maker"], r["name"], r["spec"], r["lot"]]
            lines.append(",".join(f'"{v}"' for v in fields) + "," + r["price"])
        with open(os.path.join(out, f"sheet-{s + 1:03d}.csv"), "wb") as f:
            f.write(("\r\n".join(lines) + "\r\n").encode("cp932"))


if __name__ == "__main__":
    main()
