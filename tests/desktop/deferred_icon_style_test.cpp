#include "desktop/deferred_icon_style.h"

#include <QApplication>
#include <QImage>
#include <QMenuBar>
#include <QStyleFactory>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

// The icons the style reads late are the style's own pictures once drawn, at every size.
TEST(DeferredIconStyle, IconsAreTheBaseStylesPictures)
{
    desktop::DeferredIconStyle style;
    const std::unique_ptr<QStyle> plain(QStyleFactory::create(style.baseStyle()->name()));
    ASSERT_NE(plain, nullptr);
    for (const QStyle::StandardPixmap which : {QStyle::SP_ToolBarHorizontalExtensionButton,
                                               QStyle::SP_ToolBarVerticalExtensionButton, QStyle::SP_DialogOkButton}) {
        SCOPED_TRACE(int(which));
        const QIcon late = style.standardIcon(which);
        const QIcon original = plain->standardIcon(which);
        EXPECT_FALSE(late.isNull());
        EXPECT_EQ(late.availableSizes(), original.availableSizes());
        for (const int size : {16, 24, 32}) {
            EXPECT_EQ(late.pixmap(size).toImage(), original.pixmap(size).toImage()) << size << " px";
            EXPECT_EQ(late.pixmap(size, QIcon::Disabled).toImage(), original.pixmap(size, QIcon::Disabled).toImage())
                << size << " px, disabled";
        }
    }
}

// A menu bar too narrow for its menus shows the extension button with the picture.
TEST(DeferredIconStyle, NarrowMenuBarShowsTheExtensionPicture)
{
    desktop::DeferredIconStyle style;
    QMenuBar bar;
    bar.setStyle(&style);
    for (const char* title : {"ファイル(&F)", "編集(&E)", "表示(&V)", "商品マスタ(&M)", "使い方(&H)"}) {
        bar.addMenu(QString::fromUtf8(title));
    }
    bar.resize(60, 30);
    bar.show();
    QApplication::processEvents();
    auto* extension = bar.findChild<QToolButton*>(QStringLiteral("qt_menubar_ext_button"));
    ASSERT_NE(extension, nullptr);
    EXPECT_TRUE(extension->isVisible());
    const std::unique_ptr<QStyle> plain(QStyleFactory::create(style.baseStyle()->name()));
    EXPECT_EQ(extension->icon().pixmap(16).toImage(),
              plain->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton).pixmap(16).toImage());
}
