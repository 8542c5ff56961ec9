// The train half of memorizza_dati: reads the train description into the model.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/braking_warnings.h"
#include "compiler/compile_context.h"
#include "compiler/faults.h"
#include "compiler/train_features.h"
#include "compiler/warnings.h"
#include "sources/conversion.h"
#include "sources/cp1252.h"
#include "sources/field_reader.h"
#include "sources/record_tables.h"

namespace compactor {

namespace {

constexpr int32_t kStationMargin = 800;  // range-check margin of a station (100 for the others)
constexpr int32_t kStationGap = 350;     // least distance from one station's end to the next start
constexpr int32_t kMarkedLength = 600;   // shorter stations drop their byte4
constexpr int kMarkedStationKinds = 25;  // kinds below this get a station end in the sections
constexpr int kStationMarkBase = 80;     // approach marks 81 to 84 before a station end

// What a record handler leaves the reading to do.
enum class Flow {
  go_on,        // test the next record kind
  end_reading,  // fault 15: the reading stops and the normal end follows
  stopped,      // a fault end has closed and deleted the description
};

class TrainCompiler {
 public:
  TrainCompiler(CompileContext& ctx, std::string_view text) : ctx_(ctx), model_(ctx.model), reader_(text) {
    ctx_.begin_description(Description::train, reader_);
  }

  void run() {
    while (!reader_.at_end()) {
      const Field f = reader_.read_text();
      if (contains_nocase(f.text, "[generale]")) {
        ctx_.watching = true;
        break;
      }
      ctx_.unmatched_keyword(f, KeywordPlace::before_header);
    }
    if (!ctx_.watching)
      ctx_.warn(kWarnUnknownSection, SourcePlace{Description::train, 0, 0},
                msg(MessageId::w_no_general_train));
    while (next_keyword()) {
      reader_.mark_record(ctx_.keyword.line);
      const Flow flow = handle_keyword();
      ctx_.watch_reserved();
      if (flow == Flow::stopped) return;
      if (flow == Flow::end_reading) break;
      ctx_.check_record_layout(reader_, ctx_.keyword);
      if (!matched_) ctx_.unmatched_keyword(ctx_.keyword, KeywordPlace::train);
    }
    normal_end();
  }

 private:
  using Handler = Flow (TrainCompiler::*)();

  void set_keyword(Field field) {
    model_.current_field = field.text;
    ctx_.keyword = std::move(field);
  }

  // Reads the next keyword field, passing over up to two dash fields. False when the
  // text has ended (the field read last is then not interpreted).
  bool next_keyword() {
    if (reader_.at_end()) return false;
    set_keyword(reader_.read_text());
    if (reader_.at_end()) return false;
    for (int n = 0; n < 2 && contains(ctx_.keyword.text, "-"); ++n) {
      ctx_.passed_comment(ctx_.keyword);
      set_keyword(reader_.read_text());
      if (reader_.at_end()) return false;
    }
    return true;
  }

  // Every record kind whose words the field holds is read and handled, in the order of the
  // record table (sources/record_tables.h), whose rows these handlers follow one for one.
  Flow handle_keyword() {
    static constexpr Handler kHandlers[] = {
        &TrainCompiler::braked_mass,     &TrainCompiler::vehicles,  &TrainCompiler::speed_limit,
        &TrainCompiler::adhesion_record, &TrainCompiler::clock,     &TrainCompiler::sand,
        &TrainCompiler::signal,          &TrainCompiler::slow_down, &TrainCompiler::abbattimento,
        &TrainCompiler::station,
    };
    static_assert(std::size(kHandlers) == kTrainRecords.size());
    const std::string_view field = ctx_.keyword.text;
    matched_ = false;
    for (size_t k = 0; k < kTrainRecords.size(); ++k) {
      if (!matches(kTrainRecords[k], field)) continue;
      matched_ = true;
      // (Through a local: GCC 12's bounds check misreads an indexed pointer to member.)
      const Handler handler = kHandlers[k];
      const Flow flow = (this->*handler)();
      if (flow != Flow::go_on) return flow;
    }
    return Flow::go_on;
  }

  // A record's position: rounded to its section, or beyond the line's end.
  void check_position(const Field& field, int64_t position) {
    ctx_.check_rounding(field, position);
    ctx_.check_beyond(field, position, ctx_.keyword);
  }

  // A fault 15 of the line half is still in error_code: the first signal or slow-down
  // ends the compile with it. The fault stays blamed on the line's record.
  Flow inherited_fault_end(int32_t position) {
    const FaultSite line_site = model_.fault_site;
    const Field keyword = ctx_.keyword;
    fault_end(model_.error_code, position);
    model_.fault_site = line_site;
    ctx_.found.fault_position = ctx_.found.line_fault_position;
    ctx_.found.fault_notes.push_back(
        note(msg(MessageId::note_read_up_to), ctx_.resolve(ctx_.place_of(keyword))));
    return Flow::stopped;
  }

  Flow out_of_range(int32_t position, const Field& at) {
    model_.error_code = kFaultOutOfRange;
    model_.error_position = position;
    ctx_.mark_fault_site(&at);
    return Flow::end_reading;
  }

  Flow fault_end(int32_t code, std::optional<int32_t> position = std::nullopt, const Field* at = nullptr) {
    ctx_.stop(code, position, at);
    return Flow::stopped;
  }

  Flow braked_mass() {
    model_.slot(kTrainSlot).value1 = reader_.read_i32();
    braked_mass_place_ = ctx_.place_of(reader_.last());
    check_braked_mass(ctx_, *braked_mass_place_, model_.slot(kTrainSlot).value1);
    return Flow::go_on;
  }

  Flow vehicles() {
    model_.slot(kTrainSlot).value3 = reader_.read_i32();
    return Flow::go_on;
  }

  Flow clock() {
    SlotRecord& header = model_.slot(kCabSlot);
    header.short3 = reader_.read_i16();
    clock_place_ = ctx_.place_of(reader_.last());
    clock_place_->fields = 3;
    header.short4 = reader_.read_i16();
    header.short5 = reader_.read_i16();
    return Flow::go_on;
  }

  Flow sand() {
    model_.slot(kCabSlot).short1 = reader_.read_i16();
    return Flow::go_on;
  }

  uint8_t speed_step() const { return to_int<uint8_t>(static_cast<double>(speed_) / 5.0); }

  // Writes `value` into `field` of the section at the cursor and on while the cursor is
  // below `until`: at least one section, and never one past `last`.
  void fill(int32_t& cursor, int32_t until, int32_t last, uint8_t TrackCell::*field, uint8_t value) {
    do {
      if (cursor > last) return;
      model_.section(cursor).*field = value;
      ++cursor;
    } while (cursor < until);
  }

  // A speed-limit or adhesion record fills the sections before its own start with the
  // value in force; the first section written is the cursor's, even past the start.
  // A speed-limit record stops short of the last section, an adhesion record at it.
  Flow speed_limit() {
    const int32_t position = reader_.read_i32();
    const Field position_field = reader_.last();
    const int32_t speed = reader_.read_i32();
    if (!range_check(model_, position)) return out_of_range(position, position_field);
    check_position(position_field, position);
    const int32_t n = div_round(position, kMetresPerSection);
    if (n > 0) fill(speed_cursor_, n, model_.cell_limit - 1, &TrackCell::speed_code, speed_step());
    speed_ = speed;
    return Flow::go_on;
  }

  Flow adhesion_record() {
    const int32_t position = reader_.read_i32();
    const Field position_field = reader_.last();
    const int32_t adhesion = reader_.read_i32();
    if (!range_check(model_, position)) return out_of_range(position, position_field);
    check_position(position_field, position);
    const int32_t n = div_round(position, kMetresPerSection);
    if (n > 0) fill(adhesion_cursor_, n, model_.cell_limit, &TrackCell::adhesion, low8(adhesion_));
    adhesion_ = adhesion;
    return Flow::go_on;
  }

  Flow signal() {
    int32_t f[11];
    f[0] = reader_.read_i32();
    const Field position_field = reader_.last();
    for (int k = 1; k < 11; ++k) f[k] = reader_.read_i32();
    const int32_t posizione = f[0];
    if (!range_check(model_, posizione)) return out_of_range(posizione, position_field);
    check_position(position_field, posizione);
    const int32_t before = model_.error_code;
    memo_segnale(model_, posizione, f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8], f[9], f[10]);
    if (model_.error_code > 0 && model_.error_code == before) return inherited_fault_end(posizione);
    if (model_.error_code > 0) return fault_end(model_.error_code, posizione, &position_field);
    ctx_.placed(point_section(posizione));
    return Flow::go_on;
  }

  Flow slow_down() {
    int32_t f[6];
    Field fields[3];  // of x, v and l
    for (int k = 0; k < 6; ++k) {
      f[k] = reader_.read_i32();
      if (k < 3) fields[k] = reader_.last();
    }
    const int32_t x = f[0];
    if (!range_check(model_, x)) return out_of_range(x, fields[0]);
    check_position(fields[0], x);
    const int64_t end = int64_t{x} + f[2];
    ctx_.check_rounding(fields[2], end, MessageId::what_slowdown_end);
    if (x <= model_.slot(84).value2) ctx_.check_beyond(fields[2], end, ctx_.keyword);
    const int32_t before = model_.error_code;
    memo_rallentamento(model_, x, f[1], f[2], f[3], f[4], f[5]);
    if (model_.error_code > 0 && model_.error_code == before) return inherited_fault_end(x);
    if (model_.error_code > 0) {
      // The end's section follows from the length: blame the length, and name what holds it.
      const bool at_end = model_.error_code == kFaultEndTaken || model_.error_code == kFaultSlowdownPastEnd;
      if (model_.error_code == kFaultEndTaken) ctx_.found.taken_section = point_section(static_cast<int32_t>(end));
      if (model_.error_code == kFaultApproachTaken) {
        const int32_t h = div_round(x - 1200, kMetresPerSection);
        for (int j = 3; j >= 0; --j) {
          if (h - j >= 0 && h - j <= model_.cell_limit && !is_free(model_.section(h - j)))
            ctx_.found.taken_section = h - j;
        }
      }
      return fault_end(model_.error_code, x, at_end ? &fields[2] : &fields[0]);
    }
    place_slow_down(x, end, f[4]);
    SourcePlace place = ctx_.place_of(fields[0]);
    place.fields = 2;
    slow_downs_.push_back(SlowDownRecord{x, f[1], place});
    return Flow::go_on;
  }

  // An abbattimento record takes section P / 50, without the + 1 of the point features.
  Flow abbattimento() {
    const int32_t position = reader_.read_i32();
    const Field position_field = reader_.last();
    const int32_t value = reader_.read_i32();
    if (!range_check(model_, position)) return out_of_range(position, position_field);
    check_position(position_field, position);
    TrackCell& cell = model_.section(div_round(position, kMetresPerSection));
    if (!is_free(cell)) return fault_end(kFaultAbbattimentoTaken, position, &position_field);
    if (value >= 1) {
      cell.kind = kKindAbbattimento;
      cell.data1 = low16(value);
    } else {
      cell.kind = kKindBareAbbattimento;
    }
    ctx_.placed(div_round(position, kMetresPerSection));
    return Flow::go_on;
  }

  Flow station() {
    const int32_t s = station_;
    SlotRecord& slot = model_.slot(s);
    const int32_t p = reader_.read_i32();
    const Field position_field = reader_.last();
    slot.value3 = p;
    if (!range_check(model_, p, kStationMargin)) return out_of_range(p, position_field);
    ctx_.check_beyond(position_field, p, ctx_.keyword);
    if (p % kMetresPerSection != 0) return fault_end(kFaultStationPosition, p, &position_field);
    slot.kind = reader_.read_u8();
    const int32_t length = reader_.read_i32();
    const Field length_field = reader_.last();
    if (length % 100 != 0) return fault_end(kFaultStationLength, p, &length_field);
    slot.mode = reader_.read_u8();
    slot.byte4 = reader_.read_u8();
    slot.byte3 = reader_.read_u8();
    slot.short1 = reader_.read_i16();
    slot.short2 = reader_.read_i16();
    slot.byte1 = reader_.read_u8();
    slot.short3 = reader_.read_i16();
    slot.short4 = reader_.read_i16();
    slot.short5 = reader_.read_i16();
    slot.byte2 = reader_.read_u8();
    int64_t time[3];
    Field time_fields[3];
    for (int k = 0; k < 3; ++k) {
      time[k] = reader_.read_i32();
      time_fields[k] = reader_.last();
    }
    const auto [hours, minutes, seconds] = time;
    slot.value4 = to_int<int32_t>(static_cast<double>((hours * 60 + minutes) * 60 + seconds));
    slot.text = reader_.read_text().text;
    ctx_.check_time_fields(time_fields, time);

    // The extent of the station along the line.
    const int kind = slot.kind;
    if (kind == 5 || kind == 6) {
      slot.value1 = to_int<int32_t>(static_cast<double>(int64_t{p} - length));
      slot.value2 = to_int<int32_t>(static_cast<double>(int64_t{p} + 150));
      slot.byte3 = 0;
    } else if (kind == 7 || kind == 8) {
      slot.value1 = to_int<int32_t>(static_cast<double>(int64_t{p} - length));
      slot.value2 = to_int<int32_t>(static_cast<double>(int64_t{p} + length));
      slot.byte3 = 0;
    } else {
      slot.value1 = to_int<int32_t>(p - length / 2.0);
      slot.value2 = to_int<int32_t>(p + length / 2.0 + (slot.byte3 != 0 ? 50 : 0));
    }
    if (length < kMarkedLength) slot.byte4 = 0;
    if (s == 1) {
      slot.byte3 = 0;
      slot.byte4 = 0;
    }

    if (kind < kMarkedStationKinds) {
      const int32_t end_section = div_round(slot.value2, kMetresPerSection) - 1;
      if (kind != 5 && kind != 6) {
        for (int k = 1; k <= 4; ++k) {
          const int32_t marked = end_section - k;
          if (marked > 1) model_.section(marked).approach_mark = static_cast<uint8_t>(kStationMarkBase + k);
        }
      }
      if (end_section <= 1) return fault_end(kFaultStationEndTooLow, std::nullopt, &position_field);
      TrackCell& end = model_.section(end_section);
      end.kind = kKindStationEnd;
      end.data1 = low16(s);
      ctx_.placed(end_section);
    }

    CompileContext::TimedStation read{slot.text, p, slot.value4, ctx_.place_of(time_fields[0]),
                                      ctx_.place_of(position_field)};
    read.time_place.fields = 3;
    if (s > 1 && int64_t{slot.value1} - kStationGap < model_.slot(s - 1).value2) {
      if (!stations_.empty()) ctx_.found.fault_notes.push_back(too_close_note(stations_.back(), s));
      return fault_end(kFaultStationsTooClose, p, &position_field);
    }
    stations_.push_back(std::move(read));
    station_ = s + 1;
    if (station_ >= model_.next_sign_slot) {
      const int32_t signs = kFirstSignSlot - model_.next_sign_slot;
      if (ctx_.found.last_sign_place)
        ctx_.found.fault_notes.push_back(note(
            msg(MessageId::note_sign_texts, std::to_string(signs), std::to_string(model_.next_sign_slot + 1),
                std::to_string(kFirstSignSlot), std::to_string(s)),
            ctx_.resolve(*ctx_.found.last_sign_place)));
      return fault_end(kFaultTooManyStations);
    }
    return Flow::go_on;
  }

  // Fault 22: the station before, its extent against this one's start.
  Diagnostic too_close_note(const CompileContext::TimedStation& before, int32_t s) const {
    const SlotRecord& a = model_.slot(s - 1);
    const SlotRecord& b = model_.slot(s);
    const auto name = [](const std::string& t) {
      return printable(cp1252_to_utf8(t.substr(0, t.find_last_not_of(' ') + 1)));
    };
    return note(
        msg(MessageId::note_station_before, name(a.text), std::to_string(a.value1), std::to_string(a.value2),
            name(b.text), std::to_string(b.value1), std::to_string(b.value2),
            std::to_string(int64_t{b.value1} - a.value2), std::to_string(kStationGap)),
        ctx_.resolve(before.record_place));
  }

  // The sections a placed slow-down took: warning board, approach marks, start and end.
  void place_slow_down(int32_t x, int64_t end, int32_t f_ta) {
    ctx_.placed(point_section(x));
    ctx_.placed(point_section(static_cast<int32_t>(end)));
    if (x > 1500) {
      ctx_.placed(point_section(x - 1200));
      if (f_ta != 0) {
        const int32_t h = div_round(x - 1200, kMetresPerSection);
        for (int j = 0; j < 4; ++j) ctx_.placed(h - j);
      }
    }
  }

  // The end of the text, or fault 15: delete the text, fill the speed limit and the
  // adhesion up to the last sections, and check the chainage references.
  void normal_end() {
    ctx_.delete_description(Description::train);
    const int32_t last = model_.cell_limit;
    fill(speed_cursor_, last - 2, last, &TrackCell::speed_code, speed_step());
    fill(adhesion_cursor_, last - 2, last, &TrackCell::adhesion, low8(adhesion_));
    for (int i = kFirstChainageSlot; i <= kLastChainageSlot; ++i) {
      const SlotRecord& reference = model_.slot(i);
      if (reference.value1 % kMetresPerSection != 0 || reference.value2 % kMetresPerSection != 0) {
        model_.error_code = kFaultReference;
        model_.fault_site = FaultSite{};  // the references come from the line description's header
      }
    }
    if (model_.error_code == 0) {
      ctx_.check_timetable(stations_, clock_place_);
      check_braking(ctx_, slow_downs_, braked_mass_place_);
    }
  }

  CompileContext& ctx_;
  TrackModel& model_;
  FieldReader reader_;
  int32_t station_ = 1;  // slot of the next station
  int32_t speed_cursor_ = 0;
  int32_t adhesion_cursor_ = 0;
  int32_t speed_ = 0;     // speed limit in force, km/h
  int32_t adhesion_ = 0;  // adhesion in force
  bool matched_ = false;  // the last keyword field matched a record kind
  std::vector<CompileContext::TimedStation> stations_;  // the stations stored so far
  std::optional<SourcePlace> clock_place_;              // the clock's fields
  std::optional<SourcePlace> braked_mass_place_;        // the braked mass's value, when read
  std::vector<SlowDownRecord> slow_downs_;              // the slow-downs placed so far
};

}  // namespace

void compile_train_description(CompileContext& ctx) {
  ctx.current = Description::train;
  ctx.watching = false;
  ctx.keyword = Field{};
  const std::optional<std::string>& text = ctx.read_description(Description::train);
  // A train description that cannot be opened is a failure of the compile: the trap
  // turns it into fault 25 and deletes what is left.
  if (!text) throw ReadingFailure("the train description cannot be opened", 0, 0);
  TrainCompiler(ctx, *text).run();
}

}  // namespace compactor
