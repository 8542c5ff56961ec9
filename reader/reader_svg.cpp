#include "reader/reader_svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "compiler/timetable.h"
#include "reader/reader_view.h"
#include "sources/cp1252.h"

namespace compactor::inspect {
namespace {

// Page geometry, in SVG user units (pixels): readable when the width fills an A4 page.
constexpr double kWidth = 1000;
constexpr double kLeft = 70;
constexpr double kRight = 970;
constexpr double kPlanMaxHeight = 620;
constexpr double kPlanMinWidth = 420;
constexpr double kSidePanel = 250;  // room beside a narrow plan for the legend and the stations
constexpr double kPlanMinHeight = 160;
constexpr double kGraphHeight = 110;
constexpr double kBandTitle = 16;
constexpr int32_t kSlowBoardDistance = 1200;  // a slow-down's warning board stands this far before it

constexpr char kStationColour[] = "#1f5fbf";
constexpr char kSignalColour[] = "#d62728";
constexpr char kSignColour[] = "#138a8a";
constexpr char kSlowColour[] = "#ff9f1c";
constexpr char kSpeedColour[] = "#2b7a0b";
constexpr char kRealisticColour[] = "#555555";
constexpr char kGradientColour[] = "#7b3fa0";
constexpr char kMountainColours[3][8] = {"#d9c29c", "#b08a5a", "#7a5a36"};
constexpr char kHalo[] = "stroke=\"white\" stroke-width=\"3\" paint-order=\"stroke\"";

std::string f1(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", v);
  return buf;
}

std::string escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// A tick step of 1, 2 or 5 times a power of ten giving at most max_ticks intervals.
double nice_step(double range, int max_ticks) {
  if (!(range > 0)) return 1;
  const double base = std::pow(10.0, std::floor(std::log10(range / max_ticks)));
  for (double m : {1.0, 2.0, 5.0}) {
    if (range / (m * base) <= max_ticks) return m * base;
  }
  return 10 * base;
}

std::string tick_label(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", std::abs(v) < 1e-9 ? 0.0 : v);
  return buf;
}

std::optional<double> number(const PlotValue& v) {
  if (const auto* i = std::get_if<int16_t>(&v)) return *i;
  if (const auto* d = std::get_if<double>(&v)) {
    if (std::isfinite(*d)) return *d;
  }
  return std::nullopt;
}

struct Point {
  double x, y;
};

// Width on the page of a label in UTF-8 at a font size, from the widths of DejaVu Sans
// (capitals about 0.7 em, digits 0.64, small letters 0.6, spaces and brackets 0.4, narrow
// letters and marks 0.3): a little wide rather than narrow, so that labels placed side by
// side do not touch.
double label_width(const std::string& s, double font_size = 11) {
  double em = 0;
  for (char c : s) {
    const auto b = static_cast<unsigned char>(c);
    if ((b & 0xC0) == 0x80) continue;  // a continuation byte
    em += std::string_view("IJijlf'.,:;|!").find(c) != std::string_view::npos ? 0.3
          : b >= 0x80 || (b >= 'A' && b <= 'Z')                               ? 0.7
          : (b >= '0' && b <= '9')                                            ? 0.64
          : (b >= 'a' && b <= 'z')                                            ? 0.6
                                                                              : 0.4;
  }
  return em * font_size;
}

// The same in bold, some 12 % wider.
double bold_width(const std::string& s, double font_size) { return label_width(s, font_size) * 1.12; }

// Labels placed in rows so that none overlaps another: each goes into the first row
// where it starts after the last label's end. A label that would pass the right edge
// ends at it instead. Returns the label's left end and its row, or nullopt when all
// max_rows rows are taken there.
class LabelRows {
 public:
  LabelRows(double left, double right, size_t max_rows) : left_(left), right_(right), max_rows_(max_rows) {}
  std::optional<std::pair<double, size_t>> place(double x, double width) {
    const double at = std::max(left_, std::min(x, right_ - width));
    for (size_t row = 0; row < max_rows_; ++row) {
      if (row == ends_.size()) ends_.push_back(-1e9);
      if (ends_[row] + 8 <= at) {
        ends_[row] = at + width;
        return std::pair{at, row};
      }
    }
    return std::nullopt;
  }
  size_t rows() const { return ends_.size(); }

 private:
  double left_, right_;
  size_t max_rows_;
  std::vector<double> ends_;
};

class Picture {
 public:
  Picture(const TrackModel& m, double acceleration, Language language)
      : m_(m), acceleration_(acceleration), l_(language), plot_(m.route_plot) {
    int64_t end = std::max<int64_t>(line_length(m), 0);
    for (int32_t i = 0; i < m.section_count(); ++i) {
      const TrackCell& c = m.sections[static_cast<size_t>(i)];
      if (c.kind != kKindNone && c.kind != kKindTunnelMarker)
        end = std::max<int64_t>(end, feature_position(i, c.kind));
    }
    for (const StationView& s : stations(m)) end = std::max<int64_t>(end, s.to);
    end = std::min<int64_t>(end, int64_t{m.section_count()} * kMetresPerSection);
    distance_ = std::max(1000.0, std::ceil(static_cast<double>(end) / 1000.0) * 1000.0);
    if (m.plot_created) {
      points_ = m.route_plot.points();
      last_point_ = points_ - 1;
      while (last_point_ >= 0 && !plan_point(last_point_)) --last_point_;
    }
  }

  std::string draw() {
    count_ordinals();
    y_ = 24;
    text(kLeft, y_, say(l_, MessageId::svg_title, m_.line_name, m_.train_number),
         "font-size=\"18\" font-weight=\"bold\"");
    y_ += 18;
    text(kLeft, y_, summary(), "font-size=\"12\" fill=\"#444\"");
    y_ += 20;
    // Each part in a group of its own (plan, profile, time-distance, axis), for a viewer that
    // shows them apart.
    if (last_point_ >= 1) {
      part("plan");
      plan();
      close_group();
    } else {
      text(kLeft, y_ + 12, say(l_, m_.plot_created ? MessageId::svg_plot_empty : MessageId::svg_no_plot),
           "font-size=\"12\" fill=\"#444\"");
      y_ += 30;
    }
    profile();
    const std::string head = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + f1(kWidth) +
                             "\" height=\"" + f1(y_ + 10) + "\" viewBox=\"0 0 " + f1(kWidth) + " " +
                             f1(y_ + 10) +
                             "\" font-family=\"DejaVu Sans, Verdana, Arial, sans-serif\">\n"
                             "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + head + body_ + "</svg>\n";
  }

 private:
  // ---- drawing primitives ----
  void text(double x, double y, const std::string& s, const std::string& attrs = "",
            const char* anchor = "start") {
    body_ += "<text x=\"" + f1(x) + "\" y=\"" + f1(y) + "\" text-anchor=\"" + anchor + "\" " + attrs + ">" +
             escape(s) + "</text>\n";
  }
  void line(double x1, double y1, double x2, double y2, const std::string& stroke, double width,
            const std::string& extra = "") {
    body_ += "<line x1=\"" + f1(x1) + "\" y1=\"" + f1(y1) + "\" x2=\"" + f1(x2) + "\" y2=\"" + f1(y2) +
             "\" stroke=\"" + stroke + "\" stroke-width=\"" + f1(width) + "\" " + extra + "/>\n";
  }
  void rect(double x, double y, double w, double h, const std::string& fill, const std::string& extra = "") {
    body_ += "<rect x=\"" + f1(x) + "\" y=\"" + f1(y) + "\" width=\"" + f1(std::max(w, 0.5)) +
             "\" height=\"" + f1(h) + "\" fill=\"" + fill + "\" " + extra + "/>\n";
  }
  void polyline(const std::vector<Point>& pts, const std::string& stroke, double width,
                const std::string& extra = "") {
    if (pts.size() < 2) return;
    std::string p;
    for (const Point& q : pts) p += f1(q.x) + "," + f1(q.y) + " ";
    body_ += "<polyline fill=\"none\" stroke=\"" + stroke + "\" stroke-width=\"" + f1(width) +
             "\" stroke-linejoin=\"round\" " + extra + " points=\"" + p + "\"/>\n";
  }
  void triangle(double x, double y, double size, const std::string& fill) {
    body_ += "<path d=\"M" + f1(x) + "," + f1(y - size) + " L" + f1(x - size * 0.8) + "," +
             f1(y + size * 0.6) + " L" + f1(x + size * 0.8) + "," + f1(y + size * 0.6) + " Z\" fill=\"" +
             fill + "\"/>\n";
  }
  void circle(double x, double y, double r, const std::string& fill, const std::string& extra = "") {
    body_ += "<circle cx=\"" + f1(x) + "\" cy=\"" + f1(y) + "\" r=\"" + f1(r) + "\" fill=\"" + fill + "\" " +
             extra + "/>\n";
  }

  // What a drawn feature is, for a viewer that reads the picture: its kind, the description
  // record it comes from ("train segnale": the description and the record's keyword) with
  // its ordinal among the records of that keyword (0 when the compiled files cannot tell it),
  // its section (-1 for none), its position, its fields in words, all of it as a title, and
  // the position its record gives (-1 when unknown: a slow-down's end and board give their
  // start's, so that a reader can check the ordinal against the record it names).
  struct Feature {
    std::string kind;  // as data-kind names it, in English
    std::string record;
    int ordinal = 0;
    int32_t section = -1;
    int64_t position = 0;
    std::string fields;
    std::string title;
    int64_t record_position = -1;
  };

  // A feature's drawing in a group that carries what it is: data-* attributes for a page
  // that shows them, and a <title> that a plain viewer shows when the pointer rests on it.
  void open_feature(const Feature& f) {
    body_ += "<g class=\"feature\" data-kind=\"" + escape(f.kind) + "\"";
    if (!f.record.empty()) body_ += " data-record=\"" + f.record + "\"";
    if (f.ordinal > 0) body_ += " data-ordinal=\"" + std::to_string(f.ordinal) + "\"";
    if (f.section >= 0) body_ += " data-section=\"" + std::to_string(f.section) + "\"";
    body_ += " data-position=\"" + std::to_string(f.position) + "\"";
    if (const auto c = chainage_at(m_, f.position))
      body_ += " data-chainage=\"" + chainage_text(static_cast<int32_t>(*c)) + "\"";
    if (!f.fields.empty()) body_ += " data-fields=\"" + escape(f.fields) + "\"";
    if (f.record_position >= 0) body_ += " data-record-position=\"" + std::to_string(f.record_position) + "\"";
    body_ += "><title>" + escape(f.title) + "</title>\n";
  }
  void close_group() { body_ += "</g>\n"; }
  void part(const char* name) { body_ += "<g data-part=\"" + std::string(name) + "\">\n"; }

  std::string chainage_words(int64_t position) const {
    const auto c = chainage_at(m_, position);
    return c ? say(l_, MessageId::svg_chainage_words, chainage_text(static_cast<int32_t>(*c))) : "";
  }
  // A feature's title: "signal: section 94, at 4650 m, chainage km 55+200; sx 1, ...".
  std::string feature_title(const std::string& kind, int32_t section, int64_t position,
                            const std::string& fields, bool with_position = true) const {
    return say(l_, with_position ? MessageId::svg_feature_at : MessageId::svg_feature, kind,
               std::to_string(section), std::to_string(position), chainage_words(position)) +
           (fields.empty() ? "" : "; " + fields);
  }

  // Section i's feature: its kind, record, section, position, chainage and named fields.
  Feature section_feature(int32_t i) const {
    const TrackCell& c = m_.sections[static_cast<size_t>(i)];
    Feature f{kind_name(c.kind), "", ordinal_[static_cast<size_t>(i)], i, feature_position(i, c.kind), "", "",
              record_at_[static_cast<size_t>(i)]};
    switch (c.kind) {
      case kKindSignal:
        f.record = "train segnale";
        break;
      case kKindSlowStart:
      case kKindSlowEnd:
      case kKindSlowWarning:
      case kKindSlowApproach:
        f.record = "train rallentamento";
        break;
      case kKindAbbattimento:
      case kKindBareAbbattimento:
        f.record = "train abbattimento";  // or one the system placed: no ordinal tells
        break;
      case kKindStationEnd:
        f.record = "train stazione";
        break;
      case kKindSpeedBoard:
        f.record = "line indicatori_vmax";
        break;
      case kKindSignBoard:
        f.record = "line cartello_indicatore";
        break;
      case kKindTunnelMarker:
        f.record = "line montagna";
        break;
      default:
        break;
    }
    f.fields = feature_note(m_, i, l_);
    const std::string at =
        say(l_, MessageId::note_placed_at, std::to_string(f.position), "");  // said already
    if (f.fields.rfind(at, 0) == 0) f.fields.erase(0, at.size());
    f.title = feature_title(kind_name(c.kind, l_), i, f.position, f.fields);
    return f;
  }

  // Each section's ordinal among the records its feature comes from, where the compiled
  // files tell it: signals, speed boards and slow-downs are counted in the order of their
  // sections (the order of their records when those run forward along the line), a
  // slow-down's end and warning board take its start's; sign texts fill the slots from 80
  // downward and stations from 1 upward in the order of their records.
  void count_ordinals() {
    const size_t n = m_.sections.size();
    ordinal_.assign(n, 0);
    record_at_.assign(n, -1);
    int signals = 0, boards = 0, slow = 0;
    int64_t slow_at = -1;
    for (size_t i = 0; i < n; ++i) {
      const TrackCell& c = m_.sections[i];
      const int32_t at = feature_position(static_cast<int32_t>(i), c.kind);
      if (c.kind == kKindSignal || c.kind == kKindSpeedBoard || c.kind == kKindSignBoard ||
          c.kind == kKindAbbattimento || c.kind == kKindBareAbbattimento)
        record_at_[i] = at;
      if (c.kind == kKindSignal) ordinal_[i] = ++signals;
      if (c.kind == kKindSpeedBoard) ordinal_[i] = ++boards;
      if (c.kind == kKindSlowStart) ordinal_[i] = ++slow, record_at_[i] = slow_at = at;
      if (c.kind == kKindSlowEnd) ordinal_[i] = slow, record_at_[i] = slow_at;
      if (c.kind == kKindSignBoard && c.data1 >= 1 && c.data1 <= kFirstSignSlot)
        ordinal_[i] = kFirstSignSlot - c.data1 + 1;
      if (c.kind == kKindStationEnd && c.data1 >= 1 && c.data1 < kFirstSignSlot) ordinal_[i] = c.data1;
    }
    const size_t ahead = kSlowBoardDistance / kMetresPerSection;  // a warning board to its start
    for (size_t i = 0; i + ahead < n; ++i) {
      if (m_.sections[i].kind == kKindSlowWarning && m_.sections[i + ahead].kind == kKindSlowStart)
        ordinal_[i] = ordinal_[i + ahead], record_at_[i] = record_at_[i + ahead];
    }
  }

  Feature station_feature(const StationView& s) const {
    const std::string fields = say(l_, MessageId::svg_station_fields, std::to_string(s.slot),
                                   std::to_string(s.kind), std::to_string(s.from), std::to_string(s.to),
                                   s.time != 0 ? clock_text(s.time) : say(l_, MessageId::svg_no_time));
    return Feature{"station",
                   "train stazione",
                   s.slot,
                   -1,
                   s.position,
                   say(l_, MessageId::svg_station_name, s.name, fields),
                   say(l_, MessageId::svg_station_title, s.name, std::to_string(s.position),
                       chainage_words(s.position), fields),
                   s.position};
  }

  // ---- what is drawn ----
  std::string summary() const {
    int signals = 0;
    int signs = 0;
    int slow = 0;
    for (const TrackCell& c : m_.sections) {
      signals += c.kind == kKindSignal;
      signs += c.kind == kKindSignBoard;
      slow += c.kind == kKindSlowStart;
    }
    return say(l_, MessageId::svg_summary, tick_label(line_length(m_) / 1000.0),
               std::to_string(stations(m_).size()), std::to_string(signals), std::to_string(signs),
               std::to_string(slow));
  }

  std::optional<Point> plan_point(int64_t metre) const {
    if (metre < 0 || metre >= points_) return std::nullopt;
    const auto x = number(plot_.at(metre, 0));
    const auto y = number(plot_.at(metre, 1));
    if (!x || !y) return std::nullopt;
    return Point{*x, *y};
  }

  // The plan point of a position on the line, clamped to the points that exist.
  std::optional<Point> on_plan(int64_t metre) const {
    return plan_point(std::clamp<int64_t>(metre, 0, plan_end_));
  }

  Point to_plan(Point p) const {
    return {kLeft + (p.x - xmin_) * scale_, plan_top_ + (ymax_ - p.y) * scale_};
  }

  void plan() {
    plan_end_ = std::min<int64_t>(last_point_, static_cast<int64_t>(distance_));
    const int64_t stride = std::max<int64_t>(1, plan_end_ / 4000);
    double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    for (int64_t k = 0; k <= plan_end_; k += stride) {
      if (const auto p = plan_point(k)) {
        xmin = std::min(xmin, p->x), xmax = std::max(xmax, p->x);
        ymin = std::min(ymin, p->y), ymax = std::max(ymax, p->y);
      }
    }
    const double pad = 0.06 * std::max({xmax - xmin, ymax - ymin, 100.0});
    xmin -= pad, xmax += pad, ymin -= pad, ymax += pad;
    scale_ = std::min((kRight - kLeft) / (xmax - xmin), kPlanMaxHeight / (ymax - ymin));
    // Equal scale: the box fits the line, with the spare room shared out on both sides.
    const double width = std::clamp((xmax - xmin) * scale_, kPlanMinWidth, kRight - kLeft);
    const double extra_x = (width / scale_ - (xmax - xmin)) / 2;
    xmin -= extra_x, xmax += extra_x;
    const double height = std::max(kPlanMinHeight, (ymax - ymin) * scale_);
    const double extra_y = (height / scale_ - (ymax - ymin)) / 2;
    ymin -= extra_y, ymax += extra_y;
    xmin_ = xmin, ymax_ = ymax;
    plan_top_ = y_ + 18;
    text(kLeft, y_ + 10, say(l_, MessageId::svg_plan), "font-size=\"13\" font-weight=\"bold\"");
    rect(kLeft, plan_top_, width, height, "#fbfbf8", "stroke=\"#999\" stroke-width=\"0.8\"");
    plan_axes(xmin, xmax, ymin, ymax, width, height);

    // The line itself solid, the spare metres beyond its end dashed.
    const int64_t length = std::clamp<int64_t>(line_length(m_), 0, plan_end_);
    std::vector<int64_t> metres{length, plan_end_};
    for (int64_t k = 0; k < plan_end_; k += stride) metres.push_back(k);
    std::sort(metres.begin(), metres.end());
    metres.erase(std::unique(metres.begin(), metres.end()), metres.end());
    std::vector<Point> on_line, beyond;
    for (int64_t k : metres) {
      const auto p = plan_point(k);
      if (!p) continue;
      if (k <= length) on_line.push_back(to_plan(*p));
      if (k >= length) beyond.push_back(to_plan(*p));
    }
    polyline(beyond, "#999", 1.5, "stroke-dasharray=\"6 4\"");
    polyline(on_line, "#333", 2.2);
    const bool side = kRight - (kLeft + width) >= kSidePanel + 24;
    // Station names stay on the page, and out of the side panel beside a narrow plan.
    label_right_ = side ? kLeft + width - 2 : kWidth - 4;
    plan_features();
    double bottom = plan_top_ + height;
    if (side) {
      bottom = std::max(bottom, side_panel(kRight - kSidePanel, plan_top_, bottom));
    } else {
      legend(kLeft + width - legend_width() - 8, plan_top_ + 8);
    }
    y_ = bottom + 44;
  }

  void plan_axes(double xmin, double xmax, double ymin, double ymax, double width, double height) {
    const double bottom = plan_top_ + height;
    const double step = nice_step((xmax - xmin) / 1000, std::max(2, static_cast<int>(width / 75))) * 1000;
    for (double v = std::ceil(xmin / step) * step; v <= xmax; v += step) {
      const double x = kLeft + (v - xmin) * scale_;
      line(x, plan_top_, x, bottom, "#e4e4e4", 0.6);
      line(x, bottom, x, bottom + 5, "#333", 1);
      text(x, bottom + 17, decimal(v / 1000), "font-size=\"11\"", "middle");
    }
    const double ystep = nice_step((ymax - ymin) / 1000, 8) * 1000;
    for (double v = std::ceil(ymin / ystep) * ystep; v <= ymax; v += ystep) {
      const double y = plan_top_ + (ymax - v) * scale_;
      line(kLeft, y, kLeft + width, y, "#e4e4e4", 0.6);
      line(kLeft - 5, y, kLeft, y, "#333", 1);
      text(kLeft - 8, y + 4, decimal(v / 1000), "font-size=\"11\"", "end");
    }
    text(kLeft + width / 2, bottom + 32, "x (km)", "font-size=\"12\"", "middle");
    // Upright beside the tick labels, clear of the page's left edge.
    const double label_x = kLeft - 44, label_y = plan_top_ + height / 2;
    text(label_x, label_y, "y (km)",
         "font-size=\"12\" transform=\"rotate(-90 " + f1(label_x) + " " + f1(label_y) + ")\"", "middle");
  }

  void plan_features() {
    for (int32_t i = 0; i < m_.section_count(); ++i) {
      const uint8_t kind = m_.sections[static_cast<size_t>(i)].kind;
      if (kind != kKindSignal && kind != kKindSignBoard) continue;
      if (const auto p = on_plan(feature_position(i, kind))) {
        const Point q = to_plan(*p);
        open_feature(section_feature(i));
        if (kind == kKindSignal)
          circle(q.x, q.y, 3.5, kSignalColour);
        else
          rect(q.x - 2.5, q.y - 2.5, 5, 5, kSignColour);
        close_group();
      }
    }
    for (const StationView& s : stations(m_)) {
      std::vector<Point> extent;
      for (int64_t k = std::max(s.from, 0); k <= std::min<int64_t>(s.to, plan_end_); k += 10) {
        if (const auto p = plan_point(k)) extent.push_back(to_plan(*p));
      }
      open_feature(station_feature(s));
      polyline(extent, kStationColour, 7, "stroke-opacity=\"0.55\"");
      if (const auto p = on_plan(s.position)) {
        const Point q = to_plan(*p);
        circle(q.x, q.y, 4, kStationColour, "stroke=\"white\" stroke-width=\"1\"");
        // A name that would pass the page's right edge stands on the left of its station.
        const bool left = q.x + 8 + bold_width(s.name, 12) > label_right_;
        text(left ? q.x - 8 : q.x + 8, q.y - 6, s.name,
             "font-size=\"12\" font-weight=\"bold\" fill=\"" + std::string(kStationColour) + "\" " + kHalo,
             left ? "end" : "start");
      }
      close_group();
    }
    // Kilometre posts along the line.
    const double post = nice_step(distance_ / 1000, 8) * 1000;
    for (double d = post; d <= static_cast<double>(plan_end_); d += post) {
      if (const auto p = on_plan(static_cast<int64_t>(d))) {
        const Point q = to_plan(*p);
        circle(q.x, q.y, 2.5, "white", "stroke=\"#555\" stroke-width=\"1\"");
        text(q.x - 6, q.y + 14, decimal(d / 1000) + " km",
             "font-size=\"10\" fill=\"#444\" " + std::string(kHalo), "end");
      }
    }
  }

  // Beside a narrow plan: the legend, the stations with their times, the train; as many
  // stations as the plan's height holds (the profile's station band shows them all).
  // Returns the panel's bottom.
  double side_panel(double x, double y, double bottom) {
    legend(x, y);
    double row = y + 90;
    text(x, row, say(l_, MessageId::svg_stations), "font-size=\"12\" font-weight=\"bold\"");
    const std::vector<StationView> all = stations(m_);
    for (size_t k = 0; k < all.size(); ++k) {
      const StationView& s = all[k];
      row += 15;
      if (k + 1 < all.size() && row + 28 + 56 > bottom) {
        text(x, row, say(l_, MessageId::svg_more_stations, std::to_string(all.size() - k)),
             "font-size=\"11\" font-style=\"italic\"");
        break;
      }
      text(x, row, s.name, "font-size=\"11\"");
      const std::string km = decimal(s.position / 1000.0) + " km";
      if (label_width(s.name) > 200 - label_width(km) - 8) row += 13;  // a long name keeps its row
      text(x + 200, row, km, "font-size=\"11\"", "end");
      if (s.time != 0) text(x + 210, row, clock_text(s.time).substr(0, 5), "font-size=\"11\"");
    }
    const SlotRecord& train = m_.slots[kTrainSlot];
    const SlotRecord& cab = m_.slots[kCabSlot];
    row += 26;
    text(x, row, say(l_, MessageId::svg_train), "font-size=\"12\" font-weight=\"bold\"");
    text(x, row + 15,
         say(l_, MessageId::table_train_value, std::to_string(train.value3), std::to_string(train.value1)),
         "font-size=\"11\"");
    text(x, row + 30,
         say(l_, MessageId::svg_clock_sand,
             clock_text(int64_t{cab.short3} * 3600 + int64_t{cab.short4} * 60 + cab.short5),
             std::to_string(cab.short1)),
         "font-size=\"11\"");
    return row + 34;
  }

  // The plan's legend: a box as wide as its words need, 142 at least; the km post in a second
  // column beside the signal and the sign board.
  double legend_column() const {
    return std::max(90.0, 26 + std::max(label_width(say(l_, MessageId::svg_legend_signal)),
                                        label_width(say(l_, MessageId::svg_legend_sign))));
  }
  double legend_width() const {
    return std::max({142.0, legend_column() + 8 + label_width(say(l_, MessageId::svg_legend_km_post)),
                     24 + label_width(say(l_, MessageId::svg_legend_station)) + 6});
  }
  void legend(double x, double y) {
    const double column = legend_column();
    rect(x, y, legend_width(), 62, "white", "fill-opacity=\"0.9\" stroke=\"#bbb\" stroke-width=\"0.8\"");
    circle(x + 12, y + 13, 4, kStationColour);
    text(x + 24, y + 17, say(l_, MessageId::svg_legend_station), "font-size=\"11\"");
    circle(x + 12, y + 28, 3.5, kSignalColour);
    text(x + 24, y + 32, say(l_, MessageId::svg_legend_signal), "font-size=\"11\"");
    rect(x + 9.5, y + 40.5, 5, 5, kSignColour);
    text(x + 24, y + 47, say(l_, MessageId::svg_legend_sign), "font-size=\"11\"");
    circle(x + column, y + 28, 2.5, "white", "stroke=\"#555\" stroke-width=\"1\"");
    text(x + column + 8, y + 32, say(l_, MessageId::svg_legend_km_post), "font-size=\"11\"");
  }

  // ---- the profile ----
  double dx(double metres) const { return kLeft + metres / distance_ * (kRight - kLeft); }

  void band_title(const std::string& title) {
    text(kLeft, y_ + 11, title, "font-size=\"12\" font-weight=\"bold\"");
    y_ += kBandTitle;
  }

  void profile() {
    text(kLeft, y_ + 10, say(l_, MessageId::svg_profile), "font-size=\"13\" font-weight=\"bold\"");
    y_ += 22;
    const double top = y_;
    part("profile");
    station_band();
    feature_band();
    speed_graph();
    gradient_graph();
    mountain_band();
    close_group();
    part("time-distance");
    time_distance();
    close_group();
    part("axis");
    distance_axis(top);
    profile_legend();
    close_group();
  }

  // Vertical grid lines and the end of the line across every band, drawn last on top.
  void distance_axis(double top) {
    const double bottom = y_;
    const double step = nice_step(distance_ / 1000, 20) * 1000;
    for (double d = 0; d <= distance_ + 0.5; d += step) {
      line(dx(d), top, dx(d), bottom, "#000", 0.4, "stroke-opacity=\"0.18\"");
      line(dx(d), bottom, dx(d), bottom + 6, "#333", 1);
      text(dx(d), bottom + 18, decimal(d / 1000), "font-size=\"11\"", "middle");
    }
    if (step > 1000 && distance_ / 1000 <= 100) {
      for (double d = 0; d <= distance_ + 0.5; d += 1000) line(dx(d), bottom, dx(d), bottom + 3, "#333", 0.8);
    }
    line(kLeft, bottom, kRight, bottom, "#333", 1);
    const double length = line_length(m_);
    if (length > 0 && length <= distance_) {
      line(dx(length), top, dx(length), bottom, "#555", 1, "stroke-dasharray=\"4 3\"");
      text(dx(length) - 4, top + 10, say(l_, MessageId::svg_end_of_line), "font-size=\"10\" fill=\"#555\"",
           "end");
    }
    double below = bottom + 34;
    if (chainage_at(m_, 0) || chainage_at(m_, static_cast<int64_t>(distance_))) {
      // The chainage at the same ticks, from the header's chainage references.
      for (double d = 0; d <= distance_ + 0.5; d += step) {
        if (const auto c = chainage_at(m_, static_cast<int64_t>(d))) {
          const std::string words = chainage_text(static_cast<int32_t>(*c)).substr(3);  // without "km "
          text(dx(d), bottom + 31, words, "font-size=\"9\" fill=\"#555\"", "middle");
        }
      }
      text(kLeft - 26, bottom + 31, say(l_, MessageId::svg_chainage), "font-size=\"9\" fill=\"#555\"", "end");
      below += 14;
    }
    text((kLeft + kRight) / 2, below, say(l_, MessageId::svg_distance_axis), "font-size=\"12\"", "middle");
    y_ = below + 16;
  }

  void station_band() {
    band_title(say(l_, MessageId::svg_band_stations));
    const double row_height = 14;
    LabelRows rows_of(kLeft, kWidth - 4, SIZE_MAX);
    struct Placed {
      StationView s;
      std::string label;
      double at;
      size_t row;
    };
    std::vector<Placed> placed;
    for (const StationView& s : stations(m_)) {
      std::string label = s.name + (s.time != 0 ? " " + clock_text(s.time) : "");
      const auto spot = rows_of.place(dx(std::max(s.from, 0)), label_width(label));
      placed.push_back({s, label, spot->first, spot->second});
    }
    const double rows = static_cast<double>(std::max<size_t>(rows_of.rows(), 1));
    for (const Placed& p : placed) {
      open_feature(station_feature(p.s));
      const double label_y = y_ + 11 + row_height * static_cast<double>(p.row);
      const double x = dx(std::max(p.s.from, 0));
      text(p.at, label_y, p.label, "font-size=\"11\" fill=\"" + std::string(kStationColour) + "\"");
      const double bar = y_ + row_height * rows + 6;
      line(x, label_y + 3, x, bar, kStationColour, 0.6);
      rect(x, bar, dx(p.s.to) - x, 9, kStationColour);
      close_group();
    }
    y_ += row_height * rows + 24;
  }

  void feature_band() {
    band_title(say(l_, MessageId::svg_band_features));
    const double kinds_row = y_ + 8;
    const double signal_row = y_ + 22;
    const double board_row = y_ + 42;
    double label_end = -1;  // speed labels that would overlap the one before are left out
    LabelRows kinds(kLeft - 20, kWidth - 4, 1);
    LabelRows texts(kLeft - 20, kWidth - 4, SIZE_MAX);
    std::vector<std::tuple<double, double, size_t, std::string, int32_t>> signs;
    for (int32_t i = 0; i < m_.section_count(); ++i) {
      const TrackCell& c = m_.sections[static_cast<size_t>(i)];
      const double p = feature_position(i, c.kind);
      if (p > distance_) break;
      const double x = dx(p);
      if (c.kind != kKindNone && c.kind != kKindTunnelMarker && c.kind != kKindSlowApproach &&
          c.kind != kKindStationEnd)
        open_feature(section_feature(i));
      switch (c.kind) {
        case kKindSignal: {
          triangle(x, signal_row, 6, kSignalColour);
          const SignalView v = unpack_signal(c);
          const std::string kind = std::to_string(v.sx) + "|" + std::to_string(v.dx);
          if (const auto spot = kinds.place(x - label_width(kind, 9) / 2, label_width(kind, 9)))
            text(spot->first, kinds_row, kind, "font-size=\"9\" fill=\"" + std::string(kSignalColour) + "\"");
          break;
        }
        case kKindSlowWarning:
          triangle(x, signal_row, 6, kSlowColour);
          break;
        case kKindAbbattimento:
        case kKindBareAbbattimento:
          circle(x, signal_row + 2, 2.2, "#666");
          break;
        case kKindSpeedBoard:
          rect(x - 3, board_row - 3, 6, 6, "#222");
          if (x + 5 > label_end) {
            const std::string speed = std::to_string(unpack_board_speed(c.data1).left);
            text(x + 5, board_row + 4, speed, "font-size=\"10\" " + std::string(kHalo));
            label_end = x + 5 + 6.5 * static_cast<double>(speed.size());
          }
          break;
        case kKindSignBoard: {
          line(x, board_row - 5, x, board_row + 5, kSignColour, 1.6);
          std::string words;
          if (c.data1 >= 0 && c.data1 < kSlotCount) words = cp1252_to_utf8(m_.slots[static_cast<size_t>(c.data1)].text);
          if (const auto spot = texts.place(x, label_width(words, 10)))
            signs.emplace_back(x, spot->first, spot->second, words, i);
          break;
        }
        default:
          break;
      }
      if (c.kind != kKindNone && c.kind != kKindTunnelMarker && c.kind != kKindSlowApproach &&
          c.kind != kKindStationEnd)
        close_group();
    }
    const double text_top = board_row + 8;
    for (const auto& [x, at, row, words, i] : signs) {
      const double y = text_top + 12 * static_cast<double>(row + 1);
      open_feature(section_feature(i));
      line(x, board_row + 5, x, y - 9, kSignColour, 0.5);
      text(at, y, words, "font-size=\"10\" fill=\"" + std::string(kSignColour) + "\"");
      close_group();
    }
    y_ = text_top + 12 * static_cast<double>(texts.rows()) + 10;
  }

  // A graph band: its value axis with ticks; returns the y of a value.
  struct Scale {
    double top, height, low, high;
    double y(double v) const { return top + height - (v - low) / (high - low) * height; }
  };

  Scale graph_axes(double low, double high, int max_ticks, const std::string& unit) {
    const double step = nice_step(high - low, max_ticks);
    Scale s{y_, kGraphHeight, std::floor(low / step) * step, std::ceil(high / step) * step};
    if (s.high <= s.low) s.high = s.low + step;
    rect(kLeft, s.top, kRight - kLeft, s.height, "#fbfbf8", "stroke=\"#999\" stroke-width=\"0.8\"");
    for (double v = s.low; v <= s.high + step / 2; v += step) {
      line(kLeft - 5, s.y(v), kLeft, s.y(v), "#333", 1);
      line(kLeft, s.y(v), kRight, s.y(v), "#e4e4e4", 0.6);
      text(kLeft - 8, s.y(v) + 4, decimal(v), "font-size=\"11\"", "end");
    }
    text(kLeft - 52, s.top + s.height / 2 + 4, unit, "font-size=\"11\"", "middle");
    return s;
  }

  // A value per section drawn as steps, with gaps where the value is missing.
  void step_graph(const Scale& s, const std::vector<std::optional<double>>& values,
                  const std::string& colour) {
    std::vector<Point> run;
    auto flush = [&] {
      polyline(run, colour, 1.8);
      run.clear();
    };
    for (size_t i = 0; i < values.size(); ++i) {
      const double x0 = dx(static_cast<double>(i) * kMetresPerSection);
      if (x0 > kRight) break;
      if (!values[i]) {
        flush();
        continue;
      }
      const double x1 = std::min(kRight, dx(static_cast<double>(i + 1) * kMetresPerSection));
      const double y = s.y(*values[i]);
      run.push_back({x0, y});
      run.push_back({x1, y});
    }
    flush();
  }

  size_t drawn_sections() const {
    return std::min(m_.sections.size(), static_cast<size_t>(distance_ / kMetresPerSection));
  }

  void speed_graph() {
    band_title(say(l_, MessageId::svg_band_speed));
    std::vector<std::optional<double>> speed;
    double high = 20;
    for (size_t i = 0; i < drawn_sections(); ++i) {
      speed.push_back(m_.sections[i].speed_code * 5.0);
      high = std::max(high, *speed.back());
    }
    const Scale s = graph_axes(0, high, 6, "km/h");
    value_strips(s, speed, "line speed", say(l_, MessageId::svg_line_speed), "train velocita", "km/h");
    slow_downs(s);
    step_graph(s, speed, kSpeedColour);
    y_ += kGraphHeight + 10;
  }

  // Under a graph, for each stretch of one value, a strip of the band's height that the
  // pointer finds on it: the value and where the stretch starts and ends.
  void value_strips(const Scale& s, const std::vector<std::optional<double>>& values, const std::string& kind,
                    const std::string& kind_words, const std::string& record, const std::string& unit) {
    for (size_t i = 0, j = 0; i < values.size(); i = j) {
      for (j = i + 1; j < values.size() && values[j] == values[i];) ++j;
      const int64_t from = static_cast<int64_t>(i) * kMetresPerSection;
      const int64_t to = static_cast<int64_t>(j) * kMetresPerSection;
      const double x0 = dx(static_cast<double>(from));
      if (x0 >= kRight) break;
      if (!values[i]) continue;
      const std::string fields = say(l_, MessageId::svg_stretch_fields, decimal(*values[i]) + " " + unit,
                                     std::to_string(from), std::to_string(to));
      open_feature(Feature{kind, record, 0, static_cast<int32_t>(i), from, fields,
                           feature_title(kind_words, static_cast<int32_t>(i), from, fields, false), -1});
      rect(x0, s.top, std::min(kRight, dx(static_cast<double>(to))) - x0, s.height, "#fff", "fill-opacity=\"0\"");
      close_group();
    }
  }

  // Each slow-down start with the next slow-down end after it: a shaded stretch and its speed.
  void slow_downs(const Scale& s) {
    for (size_t i = 0; i < drawn_sections(); ++i) {
      const TrackCell& c = m_.sections[i];
      if (c.kind != kKindSlowStart) continue;
      size_t end = i;
      for (size_t k = i + 1; k < m_.sections.size() && m_.sections[k].kind != kKindSlowStart; ++k) {
        if (m_.sections[k].kind == kKindSlowEnd) {
          end = k;
          break;
        }
      }
      open_feature(section_feature(static_cast<int32_t>(i)));
      const double x0 = dx(feature_position(static_cast<int32_t>(i), kKindSlowStart));
      const double x1 = std::min(kRight, dx(feature_position(static_cast<int32_t>(end), kKindSlowEnd)));
      rect(x0, s.top, std::max(x1 - x0, 2.0), s.height, kSlowColour, "fill-opacity=\"0.3\"");
      const double v = std::clamp<double>(c.data1, s.low, s.high);
      line(x0, s.y(v), std::max(x1, x0 + 2), s.y(v), kSlowColour, 2, "stroke-dasharray=\"4 2\"");
      text(x0 + 2, s.y(v) - 3, std::to_string(c.data1), "font-size=\"10\" fill=\"#b35900\"");
      close_group();
    }
  }

  void gradient_graph() {
    band_title(say(l_, MessageId::svg_band_gradient));
    std::vector<std::optional<double>> gradient;
    double low = -5, high = 5;
    for (size_t i = 0; i < drawn_sections(); ++i) {
      const uint8_t code = m_.sections[i].gradient_code;
      if (code == 0) {
        gradient.emplace_back();  // never filled
        continue;
      }
      gradient.push_back(code - 100.0);
      low = std::min(low, *gradient.back());
      high = std::max(high, *gradient.back());
    }
    const Scale s = graph_axes(low, high, 6, "\xe2\x80\xb0");
    value_strips(s, gradient, "gradient", say(l_, MessageId::svg_gradient), "line pendenza", "\xe2\x80\xb0");
    line(kLeft, s.y(0), kRight, s.y(0), "#555", 1);
    step_graph(s, gradient, kGradientColour);
    y_ += kGraphHeight + 10;
  }

  void mountain_band() {
    band_title(say(l_, MessageId::svg_band_mountains));
    const double h = 16;
    size_t i = 0;
    const size_t n = drawn_sections();
    while (i < n) {
      const uint8_t type = m_.sections[i].mountain_type;
      size_t j = i;
      while (j < n && m_.sections[j].mountain_type == type) ++j;
      if (type != 0) {
        const char* colour = kMountainColours[std::min<int>(type, 3) - 1];
        const double x0 = dx(static_cast<double>(i) * kMetresPerSection);
        const double x1 = dx(static_cast<double>(j) * kMetresPerSection);
        const int64_t from = static_cast<int64_t>(i) * kMetresPerSection;
        const std::string fields =
            say(l_, MessageId::svg_stretch_fields, "tipo " + std::to_string(type), std::to_string(from),
                std::to_string(static_cast<int64_t>(j) * kMetresPerSection));
        open_feature(Feature{
            "mountain stretch", "line montagna", 0, static_cast<int32_t>(i), from, fields,
            feature_title(say(l_, MessageId::svg_mountain), static_cast<int32_t>(i), from, fields, false),
            -1});
        rect(x0, y_, x1 - x0, h, colour, "stroke=\"#5a4020\" stroke-width=\"0.5\"");
        if (x1 - x0 > 10) text((x0 + x1) / 2, y_ + 12, std::to_string(type), "font-size=\"10\"", "middle");
        close_group();
      }
      i = j;
    }
    for (size_t k = 0; k < n; ++k) {
      if (m_.sections[k].kind != kKindTunnelMarker) continue;
      const double x = dx((static_cast<double>(k) + 0.5) * kMetresPerSection);
      open_feature(section_feature(static_cast<int32_t>(k)));
      line(x, y_ + h, x, y_ + h + 6, "#000", 1.2);
      close_group();
    }
    y_ += h + 10;
  }

  // The graphical timetable: time downward against distance. The timetable's points joined
  // (blue), and from each timed station the fastest possible run to the next (green; red
  // where it arrives after the timetable's time).
  void time_distance() {
    std::vector<TimetableRow> timed;
    for (const TimetableRow& r : timetable_rows(m_, acceleration_)) {
      if (r.station.time != 0 && r.station.position <= distance_) timed.push_back(r);
    }
    const std::optional<RunRates> rates = planning_rates(m_, acceleration_);
    if (timed.size() < 2) {
      band_title(say(l_, MessageId::svg_band_time_none));
      y_ += 6;
      return;
    }
    band_title(say(l_, MessageId::svg_band_time) +
               (rates ? say(l_, MessageId::svg_band_time_realistic) : ""));
    const std::vector<int32_t> speeds = allowed_speeds(m_);
    struct Run {
      std::vector<RunPoint> points;
      int64_t start;
      bool late;
    };
    std::vector<Run> runs;
    std::vector<Run> realistic;  // beside the bound, so that "tight" is seen where it starts
    double t0 = static_cast<double>(timed.front().station.time);
    double t1 = t0;
    for (size_t k = 0; k < timed.size(); ++k) {
      t0 = std::min(t0, static_cast<double>(timed[k].station.time));
      t1 = std::max(t1, static_cast<double>(timed[k].station.time));
      if (k == 0) continue;
      const StationView& a = timed[k - 1].station;
      const StationView& b = timed[k].station;
      if (b.position < a.position) continue;
      Run run{fastest_run_points(speeds, a.position, b.position), a.time,
              timed[k].leg && timed[k].leg->verdict != LegVerdict::ok};
      if (!run.points.empty()) t1 = std::max(t1, a.time + run.points.back().seconds);
      runs.push_back(std::move(run));
      if (!rates) continue;
      Run real{realistic_run(speeds, a.position, b.position, *rates).points, a.time, false};
      if (!real.points.empty()) t1 = std::max(t1, a.time + real.points.back().seconds);
      realistic.push_back(std::move(real));
    }
    const double height = 170;
    // Steps of whole minutes (1, 2, 5, 10 ...), of seconds only for a run of a minute or two.
    const double step = nice_step(std::max(t1 - t0, 60.0) / 60, 7) * 60;
    const double low = std::floor(t0 / step) * step;
    const double high = std::max(std::ceil(t1 / step) * step, low + step);
    auto ty = [&](double t) { return y_ + (t - low) / (high - low) * height; };
    rect(kLeft, y_, kRight - kLeft, height, "#fbfbf8", "stroke=\"#999\" stroke-width=\"0.8\"");
    for (double t = low; t <= high + step / 2; t += step) {
      line(kLeft - 5, ty(t), kLeft, ty(t), "#333", 1);
      line(kLeft, ty(t), kRight, ty(t), "#e4e4e4", 0.6);
      const std::string clock = clock_text(static_cast<int64_t>(t));
      const bool whole_minutes = std::fmod(step, 60.0) == 0;
      text(kLeft - 8, ty(t) + 4, whole_minutes ? clock.substr(0, clock.size() - 3) : clock, "font-size=\"10\"",
           "end");
    }
    for (const Run& r : runs) {
      std::vector<Point> pts;
      for (const RunPoint& p : r.points) pts.push_back({dx(p.metre), ty(static_cast<double>(r.start) + p.seconds)});
      polyline(pts, r.late ? kSignalColour : kSpeedColour, 1.6, "stroke-dasharray=\"5 3\"");
    }
    for (const Run& r : realistic) {
      std::vector<Point> pts;
      for (const RunPoint& p : r.points) pts.push_back({dx(p.metre), ty(static_cast<double>(r.start) + p.seconds)});
      polyline(pts, kRealisticColour, 1.4, "stroke-dasharray=\"2 2\"");
    }
    std::vector<Point> planned;
    for (const TimetableRow& r : timed) planned.push_back({dx(r.station.position), ty(static_cast<double>(r.station.time))});
    polyline(planned, kStationColour, 1.8);
    for (size_t k = 0; k < timed.size(); ++k) {
      const TimetableRow& r = timed[k];
      Feature f = station_feature(r.station);
      if (r.leg) {
        const std::string leg =
            r.leg->bound.blocked()
                ? say(l_, MessageId::svg_leg_blocked, r.from_name)
                : render(Message{MessageId::svg_leg,
                                 {r.from_name, duration_text(r.leg->least), duration_text(r.leg->given)},
                                 {r.leg->realistic ? msg(MessageId::leg_realistic,
                                                         duration_text(*r.leg->realistic_whole()))
                                                   : msg(MessageId::empty)}},
                         l_);
        f.fields += "; " + leg;
        f.title += "; " + leg;
      }
      open_feature(f);
      circle(planned[k].x, planned[k].y, 3.5, kStationColour, "stroke=\"white\" stroke-width=\"1\"");
      close_group();
    }
    y_ += height + 8;
    double x = kLeft;
    auto item = [&](const std::string& colour, const std::string& label, bool dashed) {
      line(x, y_ + 4, x + 18, y_ + 4, colour, 1.8, dashed ? "stroke-dasharray=\"5 3\"" : "");
      text(x + 22, y_ + 8, label, "font-size=\"11\"");
      x += 34 + label_width(label);
    };
    item(kStationColour, say(l_, MessageId::svg_legend_timetable), false);
    item(kSpeedColour, say(l_, MessageId::svg_legend_fastest), true);
    item(kSignalColour, say(l_, MessageId::svg_legend_late), true);
    if (rates) item(kRealisticColour, say(l_, MessageId::svg_legend_realistic), true);
    y_ += 20;
  }

  void profile_legend() {
    double x = kLeft;
    const double y = y_;
    auto item = [&](const std::string& label) {
      text(x + 14, y + 4, label, "font-size=\"11\"");
      x += 24 + 6.4 * static_cast<double>(label.size());
    };
    triangle(x + 5, y, 6, kSignalColour);
    item(say(l_, MessageId::svg_legend_signal));
    triangle(x + 5, y, 6, kSlowColour);
    item(say(l_, MessageId::svg_legend_warning));
    rect(x + 1, y - 5, 10, 10, kSlowColour, "fill-opacity=\"0.3\"");
    item(say(l_, MessageId::svg_legend_slowdown));
    rect(x + 2, y - 3, 6, 6, "#222");
    item(say(l_, MessageId::svg_legend_speed_board));
    line(x + 5, y - 5, x + 5, y + 5, kSignColour, 1.6);
    item(say(l_, MessageId::svg_legend_sign_board));
    circle(x + 5, y, 2.2, "#666");
    item(say(l_, MessageId::svg_legend_abbattimento));
    line(x + 5, y - 3, x + 5, y + 5, "#000", 1.2);
    item(say(l_, MessageId::svg_legend_tunnel));
    y_ += 16;
  }

  // A number as the language writes it: "0.5", "0,5".
  std::string decimal(double v) const { return say(l_, MessageId::decimal_number, tick_label(v)); }

  const TrackModel& m_;
  double acceleration_;  // of the realistic run
  Language l_;
  std::string body_;
  double label_right_ = kWidth - 4;  // where the plan's labels end at most
  double y_ = 0;
  double distance_ = 1000;  // metres shown on the profile, a whole number of km
  // The plot's points, read where the picture needs them: a compiled plot is never held
  // whole; its points come through the marks of one walk over it.
  const RoutePlot& plot_;
  int64_t points_ = 0;
  int64_t last_point_ = -1;  // the last metre with both coordinates
  int64_t plan_end_ = 0;
  double xmin_ = 0, ymax_ = 0, scale_ = 1, plan_top_ = 0;
  std::vector<int> ordinal_;  // per section: its feature's ordinal among its records, 0 for none
  std::vector<int64_t> record_at_;  // per section: the position its feature's record gives, -1 for none
};

}  // namespace

std::string scenario_svg(const TrackModel& model, double acceleration, Language language) {
  return Picture(model, acceleration, language).draw();
}

}  // namespace compactor::inspect
