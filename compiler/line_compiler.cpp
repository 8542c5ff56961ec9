// The line half of memorizza_dati: reads the line description into the model.

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

#include "compiler/braking.h"
#include "compiler/compile_context.h"
#include "compiler/faults.h"
#include "compiler/line_features.h"
#include "compiler/warnings.h"
#include "sources/conversion.h"
#include "sources/cp1252.h"
#include "sources/field_reader.h"
#include "sources/record_tables.h"

namespace compactor {

namespace {

constexpr int32_t kPlotIndexLimit = 1000000;
constexpr int kGeneralCommentRun = 10;
constexpr int kBodyCommentRun = 2;

// Turn per metre of the curve classes "1" to "6".
constexpr std::array<double, 6> kCurvature{0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};

// Rows of the record tables (sources/record_tables.h) the compiler tests by name.
constexpr size_t kLength = 0, kChainageTre = 1, kSceneryUno = 4, kCabSignalling = 7;
constexpr size_t kGradient = 0, kLeftCurve = 1, kCurve = 2, kMountain = 3, kSpeedBoard = 4, kSignBoard = 5;

// What a body record leaves the reader to do.
enum class Step { next, leave_body, stopped };

class LineCompiler {
 public:
  LineCompiler(CompileContext& ctx, std::string_view text) : ctx_(ctx), m_(ctx.model), reader_(text) {
    ctx_.begin_description(Description::line, reader_);
  }

  // False when a fault stopped the compile; true when the train half follows.
  bool run() {
    if (!find_general_header() || !general_section()) return false;
    if (!m_.sections_created) {
      ctx_.stop(kFaultNoLength);
      return false;
    }
    progressive_ordina(m_);
    start_body();
    if (!body()) return false;
    finish();
    return true;
  }

 private:
  Field read_keyword() {
    ctx_.keyword = reader_.read_text();
    m_.current_field = ctx_.keyword.text;
    return ctx_.keyword;
  }

  // The search fails when the text ends right after a field, even the header itself.
  bool find_general_header() {
    while (!reader_.at_end()) {
      const Field f = read_keyword();
      if (reader_.at_end()) break;
      if (contains_nocase(f.text, "[generale]")) {
        ctx_.watching = true;
        return true;
      }
      ctx_.unmatched_keyword(f, KeywordPlace::before_header);
    }
    ctx_.stop(kFaultNoGeneral);
    return false;
  }

  bool general_section() {
    while (!reader_.at_end()) {
      Field f = read_keyword();
      if (reader_.at_end()) return true;
      // Comments are passed over without looking for the end: running off it is a reading failure.
      for (int k = 0; k < kGeneralCommentRun && contains(f.text, "-"); ++k) {
        ctx_.passed_comment(f);
        f = read_keyword();
      }
      reader_.mark_record(f.line);
      if (!general_record(f.text)) return false;
      ctx_.check_record_layout(reader_, f);
      if (!general_rule_matches(f.text)) ctx_.unmatched_keyword(f, KeywordPlace::line_general);
      if (is_section_header(f.text)) return true;
    }
    return true;
  }

  // True when a rule of the general section matches the field (the same tests as below).
  static bool general_rule_matches(const std::string& f) { return matches_any(kLineGeneralRecords, f); }

  // Every rule is tried on the field, in the order of the record table; one that matches two
  // rules is read as both records.
  bool general_record(const std::string& f) {
    const auto& records = kLineGeneralRecords;
    if (matches(records[kLength], f) && !length_record()) return false;
    const std::pair<size_t, int> chainages[] = {{kChainageTre, kChainageSlotTre},
                                                {kChainageTre + 1, kChainageSlotDue},
                                                {kChainageTre + 2, kChainageSlotUno}};
    for (const auto& [row, index] : chainages) {
      if (!matches(records[row], f)) continue;
      SlotRecord& s = m_.slot(index);
      s.value1 = reader_.read_i32();
      const Field start = reader_.last();
      s.value2 = reader_.read_i32();
      const Field chainage = reader_.last();
      s.value3 = reader_.read_i32();
      if (!ctx_.found.chainage_place && s.value1 % kMetresPerSection != 0)
        ctx_.found.chainage_place = ctx_.place_of(start);
      if (!ctx_.found.chainage_place && s.value2 % kMetresPerSection != 0)
        ctx_.found.chainage_place = ctx_.place_of(chainage);
    }
    // The selectors are not stored in the order of their words: "tre" goes to value2.
    const std::pair<size_t, int32_t SlotRecord::*> sceneries[] = {{kSceneryUno, &SlotRecord::value1},
                                                                  {kSceneryUno + 1, &SlotRecord::value3},
                                                                  {kSceneryUno + 2, &SlotRecord::value2}};
    for (const auto& [row, field] : sceneries) {
      if (matches(records[row], f)) m_.slot(kSceneSlot).*field = reader_.read_i32();
    }
    if (matches(records[kCabSignalling], f)) return cab_signalling(f);
    return true;
  }

  bool length_record() {
    const int32_t length = reader_.read_i32();
    const Field length_field = reader_.last();
    m_.slot(kTrainSlot).value2 = length;
    ctx_.found.length_place = ctx_.place_of(length_field);
    ctx_.found.length = length;
    if (length > kMaxLineLength) {
      ctx_.stop(kFaultLengthTooLarge, std::nullopt, &length_field);
      return false;
    }
    // The finishing step marks section 1, so a line needs sections 0 and 1 at least: a
    // length of -6975 m or less leaves fewer (none below -7000 m).
    if (length < -kSpareMetres || cell_limit_for(length) < 1)
      throw IndexFault("a line length of " + std::to_string(length) + " leaves fewer than two sections");
    m_.create_sections_and_plot(length);
    if (length % kMetresPerSection != 0)
      ctx_.warn(kWarnLineLength, ctx_.place_of(length_field),
                msg(MessageId::w_line_length, std::to_string(length),
                    std::to_string(int64_t{m_.cell_limit} * kMetresPerSection - kSpareMetres)));
    return true;
  }

  bool cab_signalling(const std::string& f) {
    SlotRecord& s = m_.slot(kCabSlot);
    s.value1 = reader_.read_i32();
    const Field first = reader_.last();
    s.value2 = reader_.read_i32();
    const Field second = reader_.last();
    if (s.value1 % kMetresPerSection != 0) {
      ctx_.stop(kFaultCabFirst, std::nullopt, &first);
      return false;
    }
    if (s.value2 % kMetresPerSection != 0) {
      ctx_.stop(kFaultCabSecond, std::nullopt, &second);
      return false;
    }
    if (contains(f, "4")) {
      s.value3 = 4;
    } else if (contains(f, "9")) {
      s.value3 = 9;
    } else {
      ctx_.stop(kFaultCabCodes);
      return false;
    }
    if (s.value2 == 0) s.value3 = 0;
    return true;
  }

  void start_body() {
    m_.mountain_count = 0;
    m_.next_sign_slot = kFirstSignSlot;
    gradient_index_ = 0;
    current_gradient_ = 0;
    if (m_.plot_created) m_.route_plot.set_origin();
  }

  // False when a fault stopped the compile. The last field of the text is never interpreted.
  bool body() {
    while (!reader_.at_end()) {
      Field f = read_keyword();
      if (reader_.at_end()) return true;
      for (int k = 0; k < kBodyCommentRun && contains(f.text, "-"); ++k) {
        ctx_.passed_comment(f);
        f = read_keyword();
        if (reader_.at_end()) return true;
      }
      reader_.mark_record(f.line);
      const Step step = body_record(f.text);
      ctx_.watch_reserved();
      if (step != Step::next) return step == Step::leave_body;
      ctx_.check_record_layout(reader_, f);
      if (!body_rule_matches(f.text)) ctx_.unmatched_keyword(f, KeywordPlace::line_body);
    }
    return true;
  }

  // True when a body rule matches the field; a curve keyword counts even without a plot.
  static bool body_rule_matches(const std::string& f) { return matches_any(kLineBodyRecords, f); }

  Step body_record(const std::string& f) {
    const auto& records = kLineBodyRecords;
    Step step = Step::next;
    if (matches(records[kGradient], f)) step = gradient();
    if (step == Step::next && m_.plot_wanted != 0 && matches(records[kCurve], f)) step = curve(f);
    if (step == Step::next && matches(records[kMountain], f)) step = mountain();
    if (step == Step::next && matches(records[kSpeedBoard], f)) step = speed_board();
    if (step == Step::next && matches(records[kSignBoard], f)) step = sign_board();
    return step;
  }

  // Fault 15: the position fails the range check; the reading of the line description ends.
  bool out_of_range(int32_t position, const Field& at) {
    if (range_check(m_, position)) return false;
    m_.error_code = kFaultOutOfRange;
    m_.error_position = position;
    ctx_.mark_fault_site(&at);
    ctx_.found.line_fault_place = ctx_.place_of(at);
    ctx_.found.line_fault_position = position;
    return true;
  }

  // Writes the current gradient from the gradient index on while the index is below
  // limit; at least one section is written.
  void fill_gradient(int32_t limit) {
    do {
      m_.section(gradient_index_).gradient_code = low8(static_cast<int64_t>(current_gradient_) + 100);
      ++gradient_index_;
    } while (gradient_index_ < limit);
  }

  Step gradient() {
    const int32_t p = reader_.read_i32();
    const Field pf = reader_.last();
    const int32_t g = reader_.read_i32();
    const Field gf = reader_.last();
    if (out_of_range(p, pf)) return Step::leave_body;
    check_position(pf, p);
    if (g < kGradientLowest || g > kGradientHighest)
      ctx_.warn(kWarnGradientRange, ctx_.place_of(gf),
                msg(MessageId::w_gradient_range, std::to_string(g), std::to_string(kGradientLowest),
                    std::to_string(kGradientHighest), std::to_string(int32_t{low8(int64_t{g} + 100)} - 100)));
    const int32_t n = div_round(p, kMetresPerSection);
    if (n > 0) fill_gradient(n);
    current_gradient_ = g;
    return Step::next;
  }

  Step curve(const std::string& f) {
    const int32_t s = reader_.read_i32();
    const Field sf = reader_.last();
    const int32_t l = reader_.read_i32();
    const Field lf = reader_.last();
    if (out_of_range(s, sf)) return Step::leave_body;
    ctx_.check_beyond(sf, s, ctx_.keyword);
    std::optional<double> curvature;
    for (size_t k = 0; k < kCurvature.size() && !curvature; ++k) {
      if (contains(f, std::string(1, static_cast<char>('1' + k)))) curvature = kCurvature[k];
    }
    if (!curvature) {
      ctx_.stop(kFaultCurve);
      return Step::stopped;
    }
    if (matches(kLineBodyRecords[kLeftCurve], f)) curvature = -*curvature;
    const int64_t end = static_cast<int64_t>(s) + l;
    if (end > m_.plot_limit) {
      ctx_.stop(kFaultCurvePastPlot, s, &lf);
      return Step::stopped;
    }
    // A straight run up to s, then the curved run up to s + l; the plot stops
    // with 103 once its index passes 1000000.
    RoutePlot& plot = m_.route_plot;
    if (plot.next() <= s) {
      plot.extend_straight(std::min<int64_t>(static_cast<int64_t>(s) + 1, kPlotIndexLimit + 1));
      if (plot.next() > kPlotIndexLimit) return stop_plot_too_long();
    }
    if (plot.next() <= end) {
      plot.extend_curved(std::min<int64_t>(end + 1, kPlotIndexLimit + 1), *curvature);
      if (plot.next() > kPlotIndexLimit) return stop_plot_too_long();
    }
    return Step::next;
  }

  Step stop_plot_too_long() {
    ctx_.stop(kFaultCurve);
    return Step::stopped;
  }

  Step mountain() {
    const int32_t inizio = reader_.read_i32();
    const Field inizio_field = reader_.last();
    const int32_t fine = reader_.read_i32();
    const Field fine_field = reader_.last();
    const int32_t tipo = reader_.read_i32();
    if (out_of_range(inizio, inizio_field)) return Step::leave_body;
    check_position(inizio_field, inizio);
    ctx_.check_rounding(fine_field, fine, MessageId::what_end);
    ctx_.check_beyond(fine_field, fine, ctx_.keyword);
    memo_montagna(m_, inizio, fine, tipo);
    if (m_.error_code > 0) {
      ctx_.stop(m_.error_code, inizio, m_.error_code == kFaultMountainPastEnd ? &fine_field : nullptr);
      return Step::stopped;
    }
    return Step::next;
  }

  Step speed_board() {
    std::array<int32_t, 9> v{};
    v[0] = reader_.read_i32();
    const Field position_field = reader_.last();
    for (size_t k = 1; k < v.size(); ++k) v[k] = reader_.read_i32();
    const auto [posizione, vas, vbs, vcs, strisces, vad, vbd, vcd, strisced] = v;
    if (out_of_range(posizione, position_field)) return Step::leave_body;
    check_position(position_field, posizione);
    memo_indicatori_v_max(m_, posizione, vas, vbs, vcs, low16(strisces), vad, vbd, vcd, low16(strisced));
    if (m_.error_code > 0) {
      ctx_.stop(m_.error_code, posizione, &position_field);
      return Step::stopped;
    }
    ctx_.placed(point_section(posizione));
    return Step::next;
  }

  Step sign_board() {
    const int32_t p = reader_.read_i32();
    const Field pf = reader_.last();
    m_.current_field = reader_.read_text().text;
    if (out_of_range(p, pf)) return Step::leave_body;
    check_position(pf, p);
    TrackCell& cell = m_.section(point_section(p));
    if (!is_free(cell)) {
      ctx_.stop(kFaultSignTaken, p, &pf);
      return Step::stopped;
    }
    if (m_.next_sign_slot < 1) {
      ctx_.stop(kFaultTooManySigns, p, &pf);
      return Step::stopped;
    }
    cell.kind = kKindSignBoard;
    cell.data1 = low16(m_.next_sign_slot);
    m_.slot(m_.next_sign_slot).text = m_.current_field;
    --m_.next_sign_slot;
    ctx_.placed(point_section(p));
    ctx_.found.last_sign_place = ctx_.place_of(ctx_.keyword);
    return Step::next;
  }

  // A record's position: rounded to its section, or beyond the line's end.
  void check_position(const Field& field, int32_t position) {
    ctx_.check_rounding(field, position);
    ctx_.check_beyond(field, position, ctx_.keyword);
  }

  // The end of the line description, after a normal end or fault 15.
  void finish() {
    ctx_.delete_description(Description::line);
    fill_gradient(m_.cell_limit - 2);
    if (m_.plot_wanted != 0) m_.route_plot.extend_straight(static_cast<int64_t>(m_.plot_limit) - 1);
  }

  CompileContext& ctx_;
  TrackModel& m_;
  FieldReader reader_;
  int32_t gradient_index_ = 0;
  int32_t current_gradient_ = 0;
};

}  // namespace

bool compile_line_description(CompileContext& ctx) {
  ctx.current = Description::line;
  TrackModel& model = ctx.model;
  model.slot(kSceneSlot).text = utf8_to_cp1252(model.line_name);
  model.slot(kCabSlot).text = utf8_to_cp1252(model.train_number);
  const std::optional<std::string>& text = ctx.read_description(Description::line);
  if (!text) {
    model.error_code = kFaultNoLineFile;
    return false;
  }
  LineCompiler compiler(ctx, *text);
  return compiler.run();
}

}  // namespace compactor
