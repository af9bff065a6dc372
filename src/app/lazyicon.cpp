#include "app/lazyicon.h"

#include <QIconEngine>
#include <QPainter>

#include <memory>
#include <optional>
#include <utility>

namespace korvel {

namespace {

/// Hands every request to the icon that make gives, made on the first request. Copies of the
/// QIcon share the engine, so the icon is made once for all of them.
class LazyIconEngine final : public QIconEngine {
public:
    explicit LazyIconEngine(std::function<QIcon()> make) : make_(std::move(make)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        made().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return made().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return made().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        return made().pixmap(size, scale, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return made().availableSizes(mode, state);
    }
    QString iconName() override { return made().name(); }
    bool isNull() override { return false; }
    QString key() const override { return QStringLiteral("korvel-lazy"); }
    QIconEngine* clone() const override { return new LazyIconEngine(*this); }

private:
    const QIcon& made() {
        if (!icon_) {
            icon_ = make_();
        }
        return *icon_;
    }

    std::function<QIcon()> make_;
    std::optional<QIcon> icon_;
};

} // namespace

QIcon lazyIcon(std::function<QIcon()> make) {
    return QIcon(new LazyIconEngine(std::move(make)));
}

} // namespace korvel
