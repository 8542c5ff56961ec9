#include "reader/reader_svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

#include "reader/reader_view.h"

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

constexpr char kStationColour[] = "#1f5fbf";
constexpr char kSignalColour[] = "#d62728";
constexpr char kSignColour[] = "#138a8a";
constexpr char kSlowColour[] = "#ff9f1c";
constexpr char kSpeedColour[] = "#2b7a0b";
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

class Picture {
 public:
  explicit Picture(const TrackModel& m) : m_(m) {
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
      plot_ = m.route_plot.values();
      points_ = m.route_plot.points();
      last_point_ = points_ - 1;
      while (last_point_ >= 0 && !plan_point(last_point_)) --last_point_;
    }
  }

  std::string draw() {
    y_ = 24;
    text(kLeft, y_, m_.line_name + " \xe2\x80\x94 train " + m_.train_number,
         "font-size=\"18\" font-weight=\"bold\"");
    y_ += 18;
    text(kLeft, y_, summary(), "font-size=\"12\" fill=\"#444\"");
    y_ += 20;
    if (last_point_ >= 1) {
      plan();
    } else {
      text(kLeft, y_ + 12,
           m_.plot_created ? "The route plot holds no points: no plan." : "No route plot read: no plan.",
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
    return "line " + tick_label(line_length(m_) / 1000.0) + " km, " + std::to_string(stations(m_).size()) +
           " stations, " + std::to_string(signals) + " signals, " + std::to_string(signs) + " sign boards, " +
           std::to_string(slow) + " slow-downs";
  }

  std::optional<Point> plan_point(int64_t metre) const {
    if (metre < 0 || metre >= points_) return std::nullopt;
    const auto x = number(plot_[static_cast<size_t>(metre)]);
    const auto y = number(plot_[static_cast<size_t>(points_ + metre)]);
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
    text(kLeft, y_ + 10, "Route plan (x, y in km, equal scale; the line starts at 0, 0 heading along +y)",
         "font-size=\"13\" font-weight=\"bold\"");
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
    plan_features();
    if (kRight - (kLeft + width) >= kSidePanel + 24) {
      side_panel(kRight - kSidePanel, plan_top_);
    } else {
      legend(kLeft + width - 150, plan_top_ + 8);
    }
    y_ = plan_top_ + height + 44;
  }

  void plan_axes(double xmin, double xmax, double ymin, double ymax, double width, double height) {
    const double bottom = plan_top_ + height;
    const double step = nice_step((xmax - xmin) / 1000, std::max(2, static_cast<int>(width / 75))) * 1000;
    for (double v = std::ceil(xmin / step) * step; v <= xmax; v += step) {
      const double x = kLeft + (v - xmin) * scale_;
      line(x, plan_top_, x, bottom, "#e4e4e4", 0.6);
      line(x, bottom, x, bottom + 5, "#333", 1);
      text(x, bottom + 17, tick_label(v / 1000), "font-size=\"11\"", "middle");
    }
    const double ystep = nice_step((ymax - ymin) / 1000, 8) * 1000;
    for (double v = std::ceil(ymin / ystep) * ystep; v <= ymax; v += ystep) {
      const double y = plan_top_ + (ymax - v) * scale_;
      line(kLeft, y, kLeft + width, y, "#e4e4e4", 0.6);
      line(kLeft - 5, y, kLeft, y, "#333", 1);
      text(kLeft - 8, y + 4, tick_label(v / 1000), "font-size=\"11\"", "end");
    }
    text(kLeft + width / 2, bottom + 32, "x (km)", "font-size=\"12\"", "middle");
    text(kLeft - 50, plan_top_ + height / 2, "y (km)", "font-size=\"12\"", "middle");
  }

  void plan_features() {
    for (const SignView& s : sign_boards(m_)) {
      if (const auto p = on_plan(s.position)) {
        const Point q = to_plan(*p);
        rect(q.x - 2.5, q.y - 2.5, 5, 5, kSignColour);
      }
    }
    for (int32_t i = 0; i < m_.section_count(); ++i) {
      if (m_.sections[static_cast<size_t>(i)].kind != kKindSignal) continue;
      if (const auto p = on_plan(feature_position(i, kKindSignal))) {
        const Point q = to_plan(*p);
        circle(q.x, q.y, 3.5, kSignalColour);
      }
    }
    for (const StationView& s : stations(m_)) {
      std::vector<Point> extent;
      for (int64_t k = std::max(s.from, 0); k <= std::min<int64_t>(s.to, plan_end_); k += 10) {
        if (const auto p = plan_point(k)) extent.push_back(to_plan(*p));
      }
      polyline(extent, kStationColour, 7, "stroke-opacity=\"0.55\"");
      if (const auto p = on_plan(s.position)) {
        const Point q = to_plan(*p);
        circle(q.x, q.y, 4, kStationColour, "stroke=\"white\" stroke-width=\"1\"");
        text(q.x + 8, q.y - 6, s.name,
             "font-size=\"12\" font-weight=\"bold\" fill=\"" + std::string(kStationColour) + "\" " + kHalo);
      }
    }
    // Kilometre posts along the line.
    const double post = nice_step(distance_ / 1000, 8) * 1000;
    for (double d = post; d <= static_cast<double>(plan_end_); d += post) {
      if (const auto p = on_plan(static_cast<int64_t>(d))) {
        const Point q = to_plan(*p);
        circle(q.x, q.y, 2.5, "white", "stroke=\"#555\" stroke-width=\"1\"");
        text(q.x - 6, q.y + 14, tick_label(d / 1000) + " km",
             "font-size=\"10\" fill=\"#444\" " + std::string(kHalo), "end");
      }
    }
  }

  // Beside a narrow plan: the legend, the stations with their times, the train.
  void side_panel(double x, double y) {
    legend(x, y);
    double row = y + 90;
    text(x, row, "Stations", "font-size=\"12\" font-weight=\"bold\"");
    for (const StationView& s : stations(m_)) {
      row += 15;
      text(x, row, s.name, "font-size=\"11\"");
      text(x + 200, row, tick_label(s.position / 1000.0) + " km", "font-size=\"11\"", "end");
      if (s.time != 0) text(x + 210, row, clock_text(s.time).substr(0, 5), "font-size=\"11\"");
    }
    const SlotRecord& train = m_.slots[kTrainSlot];
    const SlotRecord& cab = m_.slots[kCabSlot];
    row += 26;
    text(x, row, "Train", "font-size=\"12\" font-weight=\"bold\"");
    text(x, row + 15,
         std::to_string(train.value3) + " vehicles, braked mass " + std::to_string(train.value1) + " %",
         "font-size=\"11\"");
    text(x, row + 30,
         "clock " + clock_text(int64_t{cab.short3} * 3600 + int64_t{cab.short4} * 60 + cab.short5) +
             ", sand " + std::to_string(cab.short1),
         "font-size=\"11\"");
  }

  void legend(double x, double y) {
    rect(x, y, 142, 62, "white", "fill-opacity=\"0.9\" stroke=\"#bbb\" stroke-width=\"0.8\"");
    circle(x + 12, y + 13, 4, kStationColour);
    text(x + 24, y + 17, "station (extent)", "font-size=\"11\"");
    circle(x + 12, y + 28, 3.5, kSignalColour);
    text(x + 24, y + 32, "signal", "font-size=\"11\"");
    rect(x + 9.5, y + 40.5, 5, 5, kSignColour);
    text(x + 24, y + 47, "sign board", "font-size=\"11\"");
    circle(x + 90, y + 28, 2.5, "white", "stroke=\"#555\" stroke-width=\"1\"");
    text(x + 98, y + 32, "km post", "font-size=\"11\"");
  }

  // ---- the profile ----
  double dx(double metres) const { return kLeft + metres / distance_ * (kRight - kLeft); }

  void band_title(const std::string& title) {
    text(kLeft, y_ + 11, title, "font-size=\"12\" font-weight=\"bold\"");
    y_ += kBandTitle;
  }

  void profile() {
    text(kLeft, y_ + 10, "Line profile against distance", "font-size=\"13\" font-weight=\"bold\"");
    y_ += 22;
    const double top = y_;
    station_band();
    feature_band();
    speed_graph();
    gradient_graph();
    mountain_band();
    distance_axis(top);
    profile_legend();
  }

  // Vertical grid lines and the end of the line across every band, drawn last on top.
  void distance_axis(double top) {
    const double bottom = y_;
    const double step = nice_step(distance_ / 1000, 20) * 1000;
    for (double d = 0; d <= distance_ + 0.5; d += step) {
      line(dx(d), top, dx(d), bottom, "#000", 0.4, "stroke-opacity=\"0.18\"");
      line(dx(d), bottom, dx(d), bottom + 6, "#333", 1);
      text(dx(d), bottom + 18, tick_label(d / 1000), "font-size=\"11\"", "middle");
    }
    if (step > 1000 && distance_ / 1000 <= 100) {
      for (double d = 0; d <= distance_ + 0.5; d += 1000) line(dx(d), bottom, dx(d), bottom + 3, "#333", 0.8);
    }
    line(kLeft, bottom, kRight, bottom, "#333", 1);
    const double length = line_length(m_);
    if (length > 0 && length <= distance_) {
      line(dx(length), top, dx(length), bottom, "#555", 1, "stroke-dasharray=\"4 3\"");
      text(dx(length) - 4, top + 10, "end of line", "font-size=\"10\" fill=\"#555\"", "end");
    }
    text((kLeft + kRight) / 2, bottom + 34, "distance from the start of the line (km)", "font-size=\"12\"",
         "middle");
    y_ = bottom + 50;
  }

  void station_band() {
    band_title("Stations (extent, name, timetable time)");
    const double row_height = 14;
    std::vector<double> row_end;  // right end of the last label in each row
    struct Placed {
      StationView s;
      size_t row;
    };
    std::vector<Placed> placed;
    for (const StationView& s : stations(m_)) {
      std::string label = s.name + (s.time != 0 ? " " + clock_text(s.time) : "");
      const double x = dx(std::max(s.from, 0));
      const double w = 6.6 * static_cast<double>(label.size());
      size_t row = 0;
      while (row < row_end.size() && row_end[row] > x - 4) ++row;
      if (row == row_end.size()) row_end.push_back(0);
      row_end[row] = x + w;
      placed.push_back({s, row});
    }
    const double rows = static_cast<double>(std::max<size_t>(row_end.size(), 1));
    for (const Placed& p : placed) {
      const double label_y = y_ + 11 + row_height * static_cast<double>(p.row);
      const double x = dx(std::max(p.s.from, 0));
      text(x, label_y, p.s.name + (p.s.time != 0 ? " " + clock_text(p.s.time) : ""),
           "font-size=\"11\" fill=\"" + std::string(kStationColour) + "\"");
      const double bar = y_ + row_height * rows + 6;
      line(x, label_y + 3, x, bar, kStationColour, 0.6);
      rect(x, bar, dx(p.s.to) - x, 9, kStationColour);
    }
    y_ += row_height * rows + 24;
  }

  void feature_band() {
    band_title("Signals, slow-down boards, speed boards (A speed), sign boards");
    const double signal_row = y_ + 10;
    const double board_row = y_ + 30;
    double label_end = -1;  // speed labels that would overlap the one before are left out
    for (int32_t i = 0; i < m_.section_count(); ++i) {
      const TrackCell& c = m_.sections[static_cast<size_t>(i)];
      const double p = feature_position(i, c.kind);
      if (p > distance_) break;
      const double x = dx(p);
      switch (c.kind) {
        case kKindSignal:
          triangle(x, signal_row, 6, kSignalColour);
          break;
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
        case kKindSignBoard:
          line(x, board_row - 5, x, board_row + 5, kSignColour, 1.6);
          break;
        default:
          break;
      }
    }
    y_ += 44;
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
      text(kLeft - 8, s.y(v) + 4, tick_label(v), "font-size=\"11\"", "end");
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
    band_title("Line speed (km/h) and slow-downs");
    std::vector<std::optional<double>> speed;
    double high = 20;
    for (size_t i = 0; i < drawn_sections(); ++i) {
      speed.push_back(m_.sections[i].speed_code * 5.0);
      high = std::max(high, *speed.back());
    }
    const Scale s = graph_axes(0, high, 6, "km/h");
    slow_downs(s);
    step_graph(s, speed, kSpeedColour);
    y_ += kGraphHeight + 10;
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
      const double x0 = dx(feature_position(static_cast<int32_t>(i), kKindSlowStart));
      const double x1 = std::min(kRight, dx(feature_position(static_cast<int32_t>(end), kKindSlowEnd)));
      rect(x0, s.top, std::max(x1 - x0, 2.0), s.height, kSlowColour, "fill-opacity=\"0.3\"");
      const double v = std::clamp<double>(c.data1, s.low, s.high);
      line(x0, s.y(v), std::max(x1, x0 + 2), s.y(v), kSlowColour, 2, "stroke-dasharray=\"4 2\"");
      text(x0 + 2, s.y(v) - 3, std::to_string(c.data1), "font-size=\"10\" fill=\"#b35900\"");
    }
  }

  void gradient_graph() {
    band_title("Gradient (per mille; rising positive)");
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
    line(kLeft, s.y(0), kRight, s.y(0), "#555", 1);
    step_graph(s, gradient, kGradientColour);
    y_ += kGraphHeight + 10;
  }

  void mountain_band() {
    band_title("Mountain stretches (type 1, 2, 3) and tunnel markers");
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
        rect(x0, y_, x1 - x0, h, colour, "stroke=\"#5a4020\" stroke-width=\"0.5\"");
        if (x1 - x0 > 10) text((x0 + x1) / 2, y_ + 12, std::to_string(type), "font-size=\"10\"", "middle");
      }
      i = j;
    }
    for (size_t k = 0; k < n; ++k) {
      if (m_.sections[k].kind != kKindTunnelMarker) continue;
      const double x = dx((static_cast<double>(k) + 0.5) * kMetresPerSection);
      line(x, y_ + h, x, y_ + h + 6, "#000", 1.2);
    }
    y_ += h + 10;
  }

  void profile_legend() {
    double x = kLeft;
    const double y = y_;
    auto item = [&](const std::string& label) {
      text(x + 14, y + 4, label, "font-size=\"11\"");
      x += 24 + 6.4 * static_cast<double>(label.size());
    };
    triangle(x + 5, y, 6, kSignalColour);
    item("signal");
    triangle(x + 5, y, 6, kSlowColour);
    item("slow-down warning board");
    rect(x + 1, y - 5, 10, 10, kSlowColour, "fill-opacity=\"0.3\"");
    item("slow-down");
    rect(x + 2, y - 3, 6, 6, "#222");
    item("speed board");
    line(x + 5, y - 5, x + 5, y + 5, kSignColour, 1.6);
    item("sign board");
    circle(x + 5, y, 2.2, "#666");
    item("abbattimento point");
    line(x + 5, y - 3, x + 5, y + 5, "#000", 1.2);
    item("tunnel marker");
    y_ += 16;
  }

  const TrackModel& m_;
  std::string body_;
  double y_ = 0;
  double distance_ = 1000;  // metres shown on the profile, a whole number of km
  std::vector<PlotValue> plot_;  // x for every metre, then y
  int64_t points_ = 0;
  int64_t last_point_ = -1;  // the last metre with both coordinates
  int64_t plan_end_ = 0;
  double xmin_ = 0, ymax_ = 0, scale_ = 1, plan_top_ = 0;
};

}  // namespace

std::string scenario_svg(const TrackModel& model) { return Picture(model).draw(); }

}  // namespace compactor::inspect
