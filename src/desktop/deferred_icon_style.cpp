#include "desktop/deferred_icon_style.h"

#include <QIconEngine>
#include <QPainter>
#include <QPointer>

#include <optional>

namespace desktop {

namespace {

// An icon of the style that is read the first time anything asks about its pictures.
class DeferredStandardIconEngine : public QIconEngine {
public:
    DeferredStandardIconEngine(const QStyle* style, QStyle::StandardPixmap which) : style_(style), which_(which) { }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        return icon().pixmap(size, scale, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    bool isNull() override { return icon().isNull(); }
    QString key() const override { return QStringLiteral("tanafuda-deferred-standard"); }
    QIconEngine* clone() const override
    {
        auto* copy = new DeferredStandardIconEngine(style_, which_);
        copy->icon_ = icon_;
        return copy;
    }

private:
    const QIcon& icon()
    {
        if (!icon_) {
            icon_ = style_ ? style_->standardIcon(which_) : QIcon();
        }
        return *icon_;
    }

    QPointer<const QStyle> style_;  // the style under the program's, which reads the picture
    QStyle::StandardPixmap which_;
    std::optional<QIcon> icon_;
};

}  // namespace

QIcon DeferredIconStyle::standardIcon(StandardPixmap which, const QStyleOption* option, const QWidget* widget) const
{
    if (which == SP_ToolBarHorizontalExtensionButton || which == SP_ToolBarVerticalExtensionButton) {
        return QIcon(new DeferredStandardIconEngine(baseStyle(), which));
    }
    return QProxyStyle::standardIcon(which, option, widget);
}

}  // namespace desktop
