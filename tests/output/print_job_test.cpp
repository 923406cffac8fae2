// A print job's page: A4 portrait, drawn from the paper's corner.

#include "output/print_job.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <gtest/gtest.h>

namespace {

TEST(ActualSizePrinter, DrawsFromThePaperCornerOnA4)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::Letter));
    output::prepareActualSizePage(printer);
    EXPECT_TRUE(printer.fullPage());
    EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::A4);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait);
    EXPECT_EQ(printer.pageRect(QPrinter::Millimeter).topLeft(), QPointF(0, 0));
}

}  // namespace
