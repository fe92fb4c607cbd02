#pragma once
// Where a print-out draws. The interpreter lays everything out in
// millimetres from the paper's top-left corner and hands finished items to a
// target: a painter on a PDF writer or printer, or a recorder in tests. Text
// is measured once, on a fixed reference resolution, so that every target
// gets the same layout.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QMarginsF>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <functional>
#include <memory>

class QPagedPaintDevice;
class QPainter;
class QPaintDevice;
class QTextDocument;

namespace aerolyx {

struct PageSetup {
    QSizeF paperMm{210.0, 297.0};  // portrait
    QMarginsF marginsMm{15.0, 15.0, 15.0, 15.0};
};

// The paper of the user's locale: Letter where it is the custom, else A4.
QSizeF DefaultPaperMm();

// Draws into a box given in the painter's own coordinates.
using BoxPainter = std::function<void(QPainter& painter, const QRectF& box)>;

class IPrintTarget {
public:
    virtual ~IPrintTarget() = default;
    // The document begins on its first page; false (and *error) when the
    // device cannot be opened.
    virtual bool Begin(const PageSetup& setup, QString* error) = 0;
    virtual void NewPage() = 0;
    // One line or several ("\n"); the box is the measured text box.
    virtual void Text(const QRectF& boxMm, const QString& text, const QFont& font, const QColor& color,
                      Qt::Alignment align) = 0;
    virtual void Line(const QPointF& fromMm, const QPointF& toMm, double widthMm) = 0;
    virtual void Image(const QRectF& boxMm, const QImage& image) = 0;
    // The part [fromRef, fromRef + boxMm.height) of a document laid out on the
    // reference device, drawn at the box's top-left.
    virtual void Rich(const QRectF& boxMm, const QTextDocument& doc, double fromRef) = 0;
    // A chart or other vector drawing that paints itself into the box.
    virtual void Vector(const QRectF& boxMm, const BoxPainter& paint) = 0;
    virtual bool End(QString* error) = 0;
};

// The reference device: 1200 dots per inch, the resolution of the PDF
// writer, so that PDF output places glyphs exactly where they were measured.
constexpr double kRefDpi = 1200.0;
constexpr double kRefPerMm = kRefDpi / 25.4;
QPaintDevice* ReferenceDevice();
// The text's box in millimetres as the font prints it.
QSizeF MeasureTextMm(const QFont& font, const QString& text);

// A painter on a paged device (QPdfWriter, QPrinter). The device's page
// size and margins are set in Begin; positions are taken from the paper edge.
class PainterTarget : public IPrintTarget {
public:
    explicit PainterTarget(QPagedPaintDevice& device);
    ~PainterTarget() override;
    bool Begin(const PageSetup& setup, QString* error) override;
    void NewPage() override;
    void Text(const QRectF& boxMm, const QString& text, const QFont& font, const QColor& color,
              Qt::Alignment align) override;
    void Line(const QPointF& fromMm, const QPointF& toMm, double widthMm) override;
    void Image(const QRectF& boxMm, const QImage& image) override;
    void Rich(const QRectF& boxMm, const QTextDocument& doc, double fromRef) override;
    void Vector(const QRectF& boxMm, const BoxPainter& paint) override;
    bool End(QString* error) override;

private:
    QRectF Px(const QRectF& mm) const;
    QPointF Px(const QPointF& mm) const;

    QPagedPaintDevice& device_;
    std::unique_ptr<QPainter> painter_;
    double pxPerMm_ = kRefPerMm;
};

}  // namespace aerolyx
