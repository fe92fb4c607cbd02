#pragma once
// The performance chart of one motor speed of a fan: the measured curves of
// its size, converted by the fan laws to the speed and supply frequency of
// the project, in up to four stacked panels (total pressure, efficiency,
// shaft power, sound power) that share the air-flow axis, with the operating
// point marked in each.
//
// Drawing is plain QPainter work onto any device (window, QImage, SVG,
// printer, PDF), as vectors where the device keeps them; it needs a
// QGuiApplication for fonts, nothing more.
#include <QPointF>
#include <QRectF>
#include <QString>
#include <array>
#include <string>
#include <vector>

class QPainter;

namespace aerolyx {

class CFanData;
class IDatabase;

class CFanCurve {
public:
    enum Panel { Pressure = 0, Efficiency = 1, Power = 2, Sound = 3 };
    static constexpr int kPanels = 4;

    // One measured point as loaded, in normal units (air flow m3/h).
    struct Point {
        double q = 0;
        double v = 0;
    };
    struct Curve {
        double number = 0;  // the curve number (blade angle)
        std::array<std::vector<Point>, kPanels> points;
    };

    // A drawn series in the user's units.
    struct Series {
        std::string name;   // "Series" & index, or "PdValues"
        std::string label;  // curve number & "°", or the legend text
        std::vector<QPointF> points;
        int curve = -1;     // index into Curves(); -1 for the dynamic pressure
    };
    struct Axis {
        double min = 0, max = 1, step = 1;
    };
    struct PanelView {
        Panel panel = Pressure;
        double topPercent = 0;     // of the plot height, from the top
        double heightPercent = 0;  // of the plot height
        std::string title;         // "dPTot [Pa]" ...
        Axis y;
        std::vector<Series> series;
        bool hasOperatingPoint = false;
        QPointF operatingPoint;  // in the user's units
    };

    // Loads the operating point of speed s (1..3) and the curves of the
    // record's fan size from db (Prog().DB when null). False when nothing
    // could be loaded; Note() then says why. A size without curve rows
    // loads (true) with empty curves and the note "No curve data".
    bool SubLoadFanRecords(const CFanData& record, int speed, IDatabase* db = nullptr);

    // The loaded texts: curve numbers joined by ","; the point lists with
    // curves joined by "|", points by ";", each point "flow,value".
    const std::string& Labels() const { return labels_; }
    const std::string& PointList(Panel panel) const { return lists_[panel]; }
    // The five lines of the loaded data: labels, pressure, efficiency,
    // power and sound power.
    std::string PointsText() const;
    const std::vector<Curve>& Curves() const { return curves_; }

    // "1" or "0" per panel (pressure, efficiency, power, sound power);
    // empty counts as "1010". Anything else than four 0/1 characters is
    // refused (false) and leaves the flags unchanged.
    const std::string& ViewFlags() const { return viewFlags_; }
    bool SetViewFlags(const std::string& flags);
    static bool ValidViewFlags(const std::string& flags);

    // Builds the visible panels from the loaded data (titles and values in
    // the user's units, axes, series, operating points).
    void DrawCurves();
    const std::vector<PanelView>& Panels() const;
    const Axis& FlowAxis() const;
    std::string FlowTitle() const { return flowTitle_; }
    std::string Title() const { return title_; }

    // The dynamic pressure of a flow given in the user's air-flow unit, in
    // the user's pressure unit; 0 without an impeller diameter.
    double DynamicPressure(double flowInUserUnit) const;

    // Why the chart is empty or incomplete; "" when all is well.
    const std::string& Note() const { return note_; }
    bool Loaded() const { return loaded_; }
    int Speed() const { return speed_; }
    double NominalSpeed() const { return nominalSpeed_; }

    // Draws the chart into `rect` (device units of the painter). Fonts and
    // lines scale with the rectangle, so the same chart looks alike on a
    // window, a picture and a printed page.
    void Paint(QPainter& painter, const QRectF& rect) const;

    // The chart as a temporary SVG file (name begins with "LyxIx"), the size
    // given in twips (15 per pixel); the caller deletes the file. "" when
    // it cannot be written.
    std::string GetImageFile(int widthTwips, int heightTwips) const;
    // Writes the chart by the path's extension (".SVG", ".PNG", ".JPG",
    // ".BMP", ".GIF" where an image plugin writes GIF), size in pixels.
    // False with a message in *error; nothing is written then.
    bool GetCurveFile(const std::string& path, int widthPx, int heightPx, std::string* error = nullptr) const;
    // The extensions GetCurveFile writes here, upper case with their dot.
    static std::vector<std::string> PictureExtensions();

private:
    void Clear();
    void AppendPoint(Curve& c, Panel panel, double q, double v);

    std::string labels_;
    std::array<std::string, kPanels> lists_;
    std::vector<Curve> curves_;
    std::string viewFlags_ = "1010";
    std::string note_;
    bool loaded_ = false;
    int speed_ = 1;
    double nominalSpeed_ = 0;

    // Operating point of the speed (normal units) and what the title needs.
    double opFlow_ = 0;
    std::array<double, kPanels> opValue_{};
    double sizeD_ = 0;
    double frequency_ = 50;
    std::string fanName_;

    // The drawing model; rebuilt by DrawCurves and on demand.
    mutable bool drawn_ = false;
    mutable std::vector<PanelView> panels_;
    mutable Axis flowAxis_;
    mutable std::string title_, subtitle_, flowTitle_;
    mutable double flowFactor_ = 1, pressureFactor_ = 1;
    void Build() const;
};

}  // namespace aerolyx
