#pragma once

// Size texts (規格) as Japanese shop lists write them, with the quantity each states and the unit
// price a tag shows for it at the default bases (100 g, 100 ml, 1 m, one item, scaled by the
// Tokyo 告示's rule), or why there is none. The unit prices were worked out by hand: price * base /
// content, rounded down to 0.1 yen; the working is in the comment of every row whose figure is
// not plain.

#include "core/pricing/quantity.h"

#include <QtGlobal>

#include <vector>

namespace testfiles {

struct SizeTextRow {
    const char* goods;  // what the row is, as the row's name
    const char* text;
    bool read;  // the text gives a quantity
    pricing::Kind kind;
    qint64 milli;  // thousandths of g, ml, m or one item
    const char* countWord;
    qint64 priceYen;
    // When read: the unit price's text, or the note why there is none. Else: the reading's note.
    const char* shown;
};

inline SizeTextRow volume(const char* goods, const char* text, qint64 milli, qint64 priceYen, const char* shown)
{
    return {goods, text, true, pricing::Kind::volume, milli, "", priceYen, shown};
}

inline SizeTextRow mass(const char* goods, const char* text, qint64 milli, qint64 priceYen, const char* shown)
{
    return {goods, text, true, pricing::Kind::mass, milli, "", priceYen, shown};
}

inline SizeTextRow length(const char* goods, const char* text, qint64 milli, qint64 priceYen, const char* shown)
{
    return {goods, text, true, pricing::Kind::length, milli, "", priceYen, shown};
}

inline SizeTextRow items(const char* goods, const char* text, qint64 count, const char* word, qint64 priceYen,
                         const char* shown)
{
    return {goods, text, true, pricing::Kind::count, count * 1000, word, priceYen, shown};
}

inline SizeTextRow unread(const char* goods, const char* text, const char* note)
{
    return {goods, text, false, pricing::Kind::count, 0, "", 100, note};
}

inline const std::vector<SizeTextRow>& sizeTexts()
{
    static const std::vector<SizeTextRow> rows {
        // Drinks. Under 1 L per 100 ml; 1 L and more per 1 L.
        volume("お茶 500ml", "500ml", 500'000, 98, "100mlあたり 19.6円"),
        volume("全角の 500ml", "５００ｍｌ", 500'000, 128, "100mlあたり 25.6円"),
        volume("牛乳 1L", "1L", 1'000'000, 198, "1Lあたり 198円"),
        // 178 / 1.5 = 118.66...
        volume("炭酸 1.5L", "1.5L", 1'500'000, 178, "1Lあたり 118.6円"),
        volume("水 全角の 2L", "2Ｌ", 2'000'000, 158, "1Lあたり 79円"),
        volume("ジュース 1,000ml", "1,000ml", 1'000'000, 258, "1Lあたり 258円"),
        volume("豆乳 1000mL", "1000mL", 1'000'000, 238, "1Lあたり 238円"),
        // 2,100 ml; 598 / 2.1 = 284.76...
        volume("ビール 6缶", "350ml×6", 2'100'000, 598, "1Lあたり 284.7円"),
        // 628 / 2.1 = 299.04...
        volume("発泡酒 アスタリスク", "350ml*6本", 2'100'000, 628, "1Lあたり 299円"),
        // 548 / 2.1 = 260.95...
        volume("チューハイ x と空白", "350ml x 6", 2'100'000, 548, "1Lあたり 260.9円"),
        // 658 / 2.1 = 313.33...
        volume("ビール 数が先", "6本×350ml", 2'100'000, 658, "1Lあたり 313.3円"),
        // 12 L; 2,480 / 12 = 206.66...
        volume("水 ケース", "500ml×24本", 12'000'000, 2480, "1Lあたり 206.6円"),
        volume("お茶 2本 かっこ", "(500ml×2)", 1'000'000, 196, "1Lあたり 196円"),
        volume("お茶 2本 空白", "500ml 2本", 1'000'000, 188, "1Lあたり 188円"),
        // 1,078 / 2.1 = 513.33...
        volume("ビール 缶の字", "350ml缶×6", 2'100'000, 1078, "1Lあたり 513.3円"),
        volume("牛乳 ℓ", "1ℓ", 1'000'000, 178, "1Lあたり 178円"),
        volume("牛乳 ㍑", "1㍑", 1'000'000, 168, "1Lあたり 168円"),
        // 100 / 5 = 20
        volume("飲むヨーグルト ㎖", "500㎖", 500'000, 100, "100mlあたり 20円"),
        volume("紙パック 200ml", "200ml", 200'000, 88, "100mlあたり 44円"),
        // 398 / 9 = 44.22...
        volume("めんつゆ 900ml", "900ml", 900'000, 398, "100mlあたり 44.2円"),
        // 375 ml; 158 / 3.75 = 42.13...
        volume("乳酸菌飲料 3本", "125ml×3本", 375'000, 158, "100mlあたり 42.1円"),
        // 1,280 / 1.8 = 711.11...
        volume("醤油 一升", "1.8L", 1'800'000, 1280, "1Lあたり 711.1円"),
        volume("日本酒 四合", "720ml", 720'000, 1080, "100mlあたり 150円"),
        // Under 100 ml: per 10 ml. 298 / 6 = 49.66...
        volume("栄養ドリンク 60ml", "60ml", 60'000, 298, "10mlあたり 49.6円"),
        volume("香料 50cc", "50cc", 50'000, 150, "10mlあたり 30円"),
        // 8.4 L; 2,980 / 8.4 = 354.76...
        volume("ビール 全角 24缶", "350ｍｌ×２４缶", 8'400'000, 2980, "1Lあたり 354.7円"),
        // 12 L; 1,980 / 12 = 165
        volume("水 PET 24本", "500mlPET×24本", 12'000'000, 1980, "1Lあたり 165円"),
        volume("水 2L 6本", "2L×6本", 12'000'000, 888, "1Lあたり 74円"),
        // 158 / 1.5 = 105.33...
        volume("全角の小数点", "１．５Ｌ", 1'500'000, 158, "1Lあたり 105.3円"),
        // Detergent refills. 278 / 4 = 69.5
        volume("洗剤 詰替用", "詰替用 400ml", 400'000, 278, "100mlあたり 69.5円"),
        volume("洗剤 つめかえ用 1,000ml", "つめかえ用 1,000ml", 1'000'000, 498, "1Lあたり 498円"),
        volume("柔軟剤 かっこの詰替", "400ml(詰替)", 400'000, 258, "100mlあたり 64.5円"),

        // Rice, food by weight. 1 kg and more per 1 kg.
        mass("米 5kg", "5kg", 5'000'000, 2480, "1kgあたり 496円"),
        mass("米 ㎏", "5㎏", 5'000'000, 2280, "1kgあたり 456円"),
        // One step only: 10 kg is still per 1 kg.
        mass("米 10kg", "10kg", 10'000'000, 4980, "1kgあたり 498円"),
        mass("米 2kg", "2kg", 2'000'000, 980, "1kgあたり 490円"),
        mass("米 キロ", "5キロ", 5'000'000, 2380, "1kgあたり 476円"),
        mass("ハム 400g", "400g", 400'000, 298, "100gあたり 74.5円"),
        mass("小麦粉 1,000g", "1,000g", 1'000'000, 598, "1kgあたり 598円"),
        // Exactly the base: no tenth.
        mass("チーズ ㌘", "100㌘", 100'000, 128, "100gあたり 128円"),
        // 358 / 3 = 119.33...
        mass("ソーセージ グラム", "300グラム", 300'000, 358, "100gあたり 119.3円"),
        // 1,180 / 1.2 = 983.33...
        mass("洗剤 粉 1.2kg", "1.2kg", 1'200'000, 1180, "1kgあたり 983.3円"),
        // 398 / 2.5 = 159.2
        mass("ベーコン 正味", "正味 250g", 250'000, 398, "100gあたり 159.2円"),
        // Under 100 g: per 10 g. 138 / 8.5 = 16.23...
        mass("スナック 85g", "85g", 85'000, 138, "10gあたり 16.2円"),
        // 280 g; 178 / 2.8 = 63.57...
        mass("ヨーグルト 4個", "70g×4個", 280'000, 178, "100gあたり 63.5円"),
        // 80 g, per 10 g; 298 / 8 = 37.25
        mass("紅茶 ティーバッグ", "8g×10袋", 80'000, 298, "10gあたり 37.2円"),
        // 228 / 1.8 = 126.66...
        mass("内容量の見出し付き", "内容量:180g", 180'000, 228, "100gあたり 126.6円"),
        // 158 / 1.2 = 131.66...
        mass("菓子 入の字", "120g入", 120'000, 158, "100gあたり 131.6円"),
        // Meat weighed in the shop: 812 / 3.25 = 249.84...
        mass("豚肉 量り売り", "325g", 325'000, 812, "100gあたり 249.8円"),
        // 1,980 / 1.05 = 1,885.71...
        mass("牛肉 1.05kg", "1.05kg", 1'050'000, 1980, "1kgあたり 1,885.7円"),
        // 598 / 9 = 66.44...
        mass("洗剤 大容量", "大容量 900g", 900'000, 598, "100gあたり 66.4円"),

        // Counts: per one item.
        items("卵 10個入", "10個入", 10, "個", 248, "1個あたり 24.8円"),
        items("卵 6個", "6個", 6, "個", 198, "1個あたり 33円"),
        items("パン 5個入り", "5個入り", 5, "個", 298, "1個あたり 59.6円"),
        items("全角の 10個", "１０個", 10, "個", 332, "1個あたり 33.2円"),
        items("ビール 6本入", "6本入", 6, "本", 498, "1本あたり 83円"),
        items("全角の 6本入", "６本入", 6, "本", 528, "1本あたり 88円"),
        // 398 / 12 = 33.16...
        items("トイレットペーパー", "12ロール", 12, "ロール", 398, "1ロールあたり 33.1円"),
        items("トイレットペーパー R", "12R", 12, "ロール", 438, "1ロールあたり 36.5円"),
        // 458 / 12 = 38.16...
        items("トイレットペーパー ダブル", "12ロール(ダブル)", 12, "ロール", 458, "1ロールあたり 38.1円"),
        items("半角カナのロール", "12ﾛｰﾙ", 12, "ロール", 378, "1ロールあたり 31.5円"),
        // 30 sheets; 298 / 30 = 9.93...
        items("マスク 3袋", "10枚×3袋", 30, "枚", 298, "1枚あたり 9.9円"),
        // 800 pairs; 328 / 800 = 0.41
        items("ティッシュ 5箱", "160組×5箱", 800, "組", 328, "1組あたり 0.4円"),
        // 98 / 3 = 32.66...
        items("納豆 3P", "3P", 3, "P", 98, "1Pあたり 32.6円"),
        // 88 / 3 = 29.33...
        items("豆腐 3パック", "3パック", 3, "パック", 88, "1パックあたり 29.3円"),
        // 598 / 30 = 19.93...
        items("顆粒 30包", "30包", 30, "包", 598, "1包あたり 19.9円"),
        // 1,280 / 60 = 21.33...
        items("サプリ 60粒", "60粒", 60, "粒", 1280, "1粒あたり 21.3円"),
        items("即席めん 5食入", "5食入", 5, "食", 398, "1食あたり 79.6円"),
        items("入だけ", "10入", 10, "個", 158, "1個あたり 15.8円"),
        items("コの字", "3コ入", 3, "個", 198, "1個あたり 66円"),
        items("2個組", "2個組", 2, "個", 198, "1個あたり 99円"),
        // 658 / 6 = 109.66...
        items("缶詰 6缶", "6缶", 6, "缶", 658, "1缶あたり 109.6円"),
        // 980 / 3 = 326.66...
        items("靴下 3足組", "3足組", 3, "足", 980, "1足あたり 326.6円"),
        items("卵 サイズ付き", "Mサイズ 10個入", 10, "個", 258, "1個あたり 25.8円"),
        // 48 rolls; 1,580 / 48 = 32.91...
        items("トイレットペーパー 4パック", "12ロール×4パック", 48, "ロール", 1580, "1ロールあたり 32.9円"),

        // Lengths: per 1 m, from 10 m per 10 m.
        // The width is dropped: 50 m; 298 * 10 / 50 = 59.6
        length("ラップ 30cm×50m", "30cm×50m", 50'000, 298, "10mあたり 59.6円"),
        length("ラップ 22cm×20m", "22cm×20m", 20'000, 158, "10mあたり 79円"),
        // 27.5 m * 12 = 330 m; 498 * 10 / 330 = 15.09...
        length("トイレットペーパー 長さ", "114mm×27.5m×12ロール", 330'000, 498, "10mあたり 15円"),
        // 100 m, still per 10 m (one step); 548 / 10 = 54.8
        length("ラップ 2本", "30cm×50m×2本", 100'000, 548, "10mあたり 54.8円"),
        length("テープ 5m", "5m", 5'000, 398, "1mあたり 79.6円"),
        // Under 1 m: per 10 cm; 198 / 5 = 39.6
        length("ひも 50cm", "50cm", 500, 198, "10cmあたり 39.6円"),

        // Read, but a single item has no unit price apart from its price.
        items("いちご 1パック", "1パック", 1, "パック", 298, "1つだけの品は単位価格が売価と同じです"),
        items("キャベツ 1個", "1個", 1, "個", 158, "1つだけの品は単位価格が売価と同じです"),

        // Not read.
        unread("大きさだけ", "大", "量が書かれていません"),
        unread("サイズだけ", "Mサイズ", "量が書かれていません"),
        unread("漢数字", "六本", "量が書かれていません"),
        unread("約", "約300g", "量がおおよそです（約・前後など）"),
        unread("前後", "300g前後", "量がおおよそです（約・前後など）"),
        unread("強", "300g強", "量がおおよそです（約・前後など）"),
        unread("幅 全角の波", "300～350g", "量に幅があります"),
        unread("幅 ハイフン", "300-350g", "量に幅があります"),
        unread("増量", "450ml+50ml", "足し算（増量など）は読みません"),
        unread("空", "", "規格が空です"),
        unread("数だけ", "500", "単位のない数があります"),
        unread("小数のコンマ", "1,5L", "数「1,5」が読めません"),
        // 350 ml each, or 350 ml in all? Not certain.
        unread("量と入数", "350ml 6本入", "数と量の関係がわかりません"),
        unread("数のあとに量", "4個 400g", "数と量の関係がわかりません"),
        // Five fruit of grade 2L, not 10 litres.
        unread("果物の等級", "2L 5玉", "数と量の関係がわかりません"),
        unread("等級だけの果物", "L 5玉", "読めない語があります（L）"),
        unread("産地", "500g（国産）", "読めない語があります（国産）"),
        unread("半分", "1/2カット", "読めない語があります（/）"),
        unread("品名入り", "ココア 200g", "読めない語があります（ココア）"),
        unread("量が2つ", "1.5L(500ml×3)", "量が2つ以上書かれています"),
        unread("半端な個数", "1.5個", "数が整数ではありません"),
        unread("0", "0g", "量が0です"),
        unread("細かすぎる", "0.0001g", "量の桁が細かすぎます"),
        unread("大きすぎる", "9999999999999g", "量が大きすぎます"),
        unread("数の単位が2つ", "10枚×3本", "数の単位が2つあります"),
    };
    return rows;
}

}  // namespace testfiles
