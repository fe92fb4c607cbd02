#include "output/PrintTarget.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>
#include <cmath>

namespace aerolyx {

QSizeF DefaultPaperMm()
{
    // The US and a few neighbours use Letter; Qt has no direct "default
    // paper" for a locale, but their measurement system marks them.
    if (QLocale::system().measurementSystem() == QLocale::ImperialUSSystem) return {215.9, 279.4};
    return {210.0, 297.0};
}

QPaintDevice* ReferenceDevice()
{
    static QImage ref = [] {
        QImage img(1, 1, QImage::Format_ARGB32);
        const int dpm = static_cast<int>(std::lround(kRefDpi / 0.0254));
        img.setDotsPerMeterX(dpm);
        img.setDotsPerMeterY(dpm);
        return img;
    }();
    return &ref;
}

QSizeF MeasureTextMm(const QFont& font, const QString& text)
{
    QFontMetricsF fm(font, ReferenceDevice());
    QSizeF px;
    if (text.contains('\n'))
        px = fm.boundingRect(QRectF(0, 0, 1e7, 1e7), Qt::AlignLeft | Qt::AlignTop, text).size();
    else
        px = QSizeF(fm.horizontalAdvance(text), fm.height());
    return px / kRefPerMm;
}

PainterTarget::PainterTarget(QPagedPaintDevice& device) : device_(device) {}
PainterTarget::~PainterTarget()
{
    if (painter_ && painter_->isActive()) painter_->end();
}

bool PainterTarget::Begin(const PageSetup& setup, QString* error)
{
    // Positions come from the paper edge: the device gets no margins of its own.
    const QPageSize size(setup.paperMm, QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    device_.setPageLayout(QPageLayout(size, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    if (auto* printer = dynamic_cast<QPrinter*>(&device_)) {
        printer->setFullPage(true);
        printer->setResolution(static_cast<int>(kRefDpi));
    }
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(&device_)) {
        if (error) *error = QStringLiteral("the output device cannot be opened");
        painter_.reset();
        return false;
    }
    pxPerMm_ = device_.logicalDpiX() / 25.4;
    painter_->setRenderHint(QPainter::Antialiasing);
    painter_->setRenderHint(QPainter::TextAntialiasing);
    painter_->setRenderHint(QPainter::SmoothPixmapTransform);
    return true;
}

void PainterTarget::NewPage()
{
    if (painter_) device_.newPage();
}

QRectF PainterTarget::Px(const QRectF& mm) const
{
    return {mm.x() * pxPerMm_, mm.y() * pxPerMm_, mm.width() * pxPerMm_, mm.height() * pxPerMm_};
}
QPointF PainterTarget::Px(const QPointF& mm) const { return mm * pxPerMm_; }

void PainterTarget::Text(const QRectF& boxMm, const QString& text, const QFont& font, const QColor& color,
                         Qt::Alignment align)
{
    if (!painter_) return;
    painter_->setFont(font);
    painter_->setPen(color);
    painter_->drawText(Px(boxMm), static_cast<int>(align | Qt::AlignTop | Qt::TextDontClip), text);
}

void PainterTarget::Line(const QPointF& fromMm, const QPointF& toMm, double widthMm)
{
    if (!painter_) return;
    QPen pen(Qt::black, widthMm * pxPerMm_, Qt::SolidLine, Qt::SquareCap);
    painter_->setPen(pen);
    painter_->drawLine(Px(fromMm), Px(toMm));
}

void PainterTarget::Image(const QRectF& boxMm, const QImage& image)
{
    if (!painter_ || image.isNull()) return;
    // Pictures keep their proportions, centred in the box.
    const QRectF box = Px(boxMm);
    QSizeF s = QSizeF(image.size()).scaled(box.size(), Qt::KeepAspectRatio);
    QRectF r(QPointF(0, 0), s);
    r.moveCenter(box.center());
    painter_->drawImage(r, image);
}

void PainterTarget::Rich(const QRectF& boxMm, const QTextDocument& doc, double fromRef)
{
    if (!painter_) return;
    const QRectF box = Px(boxMm);
    const double scale = pxPerMm_ / kRefPerMm;
    painter_->save();
    painter_->translate(box.topLeft());
    painter_->scale(scale, scale);
    painter_->translate(0, -fromRef);
    const QRectF clip(0, fromRef, box.width() / scale, box.height() / scale);
    const_cast<QTextDocument&>(doc).drawContents(painter_.get(), clip);
    painter_->restore();
}

void PainterTarget::Vector(const QRectF& boxMm, const BoxPainter& paint)
{
    if (!painter_ || !paint) return;
    const QRectF box = Px(boxMm);
    painter_->save();
    painter_->setClipRect(box);
    paint(*painter_, box);
    painter_->restore();
}

bool PainterTarget::End(QString* error)
{
    if (!painter_) return false;
    const bool ok = painter_->end();
    painter_.reset();
    if (!ok && error) *error = QStringLiteral("the output device could not be finished");
    return ok;
}

}  // namespace aerolyx
