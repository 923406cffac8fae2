#pragma once

// What the two files of the 商品マスタ window (catalogue_window.cpp, catalogue_window_reading.cpp)
// share: its pages, its status tabs and the text of its first start.

#include "desktop/catalogue/catalogue_model.h"

#include <QString>

namespace desktop::catalogue_window {

// The pages of the window, in the order they are added.
enum Page { kFirstStartPage, kProductsPage, kDamagedPage };

struct TabDef {
    StatusFilter filter;
    const char* title;
};

inline constexpr TabDef kTabs[] = {
    {StatusFilter::all, "すべて"},       {StatusFilter::toPrint, "印刷が必要"}, {StatusFilter::newTag, "新規"},
    {StatusFilter::changed, "変更あり"}, {StatusFilter::upToDate, "最新"},      {StatusFilter::takeDown, "取り下げ"},
};

// What the catalogue is for and how to begin, on the page shown while there is none.
QString firstStartText();

}  // namespace desktop::catalogue_window
