#include "reader/reader_json.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "output/compiled_format.h"
#include "reader/reader_decode.h"
#include "reader/reader_view.h"
#include "sources/bit_copy.h"
#include "sources/cp1252.h"

namespace compactor::inspect {
namespace {

constexpr int kFormatVersion = 1;
constexpr char kFormatName[] = "compiled scenario";

// The members of a section and of a slot, in file order, for both directions: the
// compiled format's own field lists, called with each field's name and member.
template <typename F>
void cell_fields(F&& f) {
  format::for_each_field(format::kCellFields, [&](const auto& field) { f(field.name, field.member); });
}

template <typename F>
void slot_numbers_before_text(F&& f) {
  format::for_each_field(format::kSlotFieldsBeforeText, [&](const auto& field) { f(field.name, field.member); });
}

template <typename F>
void slot_numbers_after_text(F&& f) {
  format::for_each_field(format::kSlotFieldsAfterText, [&](const auto& field) { f(field.name, field.member); });
}

std::string slot_role(const TrackModel& m, int i, int first_sign) {
  if (i >= kChainageSlotFirst) return "header";
  if (is_empty_slot(m.slots[static_cast<size_t>(i)])) return "empty";
  if (i == 0) return "unused";
  return i < first_sign ? "station" : "sign text";
}

Json plot_entry(const PlotValue& v) {
  if (const auto* i = std::get_if<int16_t>(&v)) return Json(static_cast<int64_t>(*i));
  if (const auto* d = std::get_if<double>(&v)) {
    if (std::isfinite(*d)) return Json(*d);
    char bits[17];
    std::snprintf(bits, sizeof bits, "%016llx", static_cast<unsigned long long>(bit_copy<uint64_t>(*d)));
    return Json(bits);
  }
  return Json(nullptr);
}

[[noreturn]] void refuse(const std::string& where, Message what) {
  throw InspectError(Message{MessageId::json_refused, {where}, {std::move(what)}});
}

const Json& member(const Json& object, const char* name, const std::string& where) {
  if (!object.is_object()) refuse(where, msg(MessageId::json_not_object));
  const auto it = object.find(name);
  if (it == object.end()) refuse(where + "." + name, msg(MessageId::json_missing));
  return *it;
}

template <typename T>
T integer(const Json& v, const std::string& where) {
  if (!v.is_number_integer()) refuse(where, msg(MessageId::json_not_integer));
  if (v.is_number_unsigned() && v.get<uint64_t>() > static_cast<uint64_t>(std::numeric_limits<T>::max()))
    refuse(where, msg(MessageId::json_does_not_fit, v.dump()));
  const int64_t n = v.get<int64_t>();
  if (!v.is_number_unsigned() && (n < static_cast<int64_t>(std::numeric_limits<T>::min()) ||
                                  n > static_cast<int64_t>(std::numeric_limits<T>::max())))
    refuse(where, msg(MessageId::json_does_not_fit, v.dump()));
  return static_cast<T>(n);
}

// UTF-8 back to Windows-1252, the bytes the file stores.
std::string stored_text(const std::string& utf8, const std::string& where) {
  std::string out;
  try {
    out = utf8_to_cp1252(utf8);
  } catch (const EncodingError& e) {
    refuse(where, msg(MessageId::text, e.what()));
  }
  if (out.size() > 0xFFFF) refuse(where, msg(MessageId::json_too_long));
  return out;
}

PlotValue plot_value(const Json& v, const std::string& where) {
  if (v.is_null()) return std::monostate{};
  if (v.is_number_integer()) return integer<int16_t>(v, where);
  if (v.is_number_float()) return v.get<double>();
  if (v.is_string()) {
    const std::string s = v.get<std::string>();
    uint64_t bits = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), bits, 16);
    if (s.size() != 16 || ec != std::errc() || end != s.data() + s.size())
      refuse(where, msg(MessageId::json_hex_double));
    return bit_copy<double>(bits);
  }
  refuse(where, msg(MessageId::json_plot_value));
}

const Json& array_member(const Json& j, const char* name, const std::string& where) {
  const Json& a = member(j, name, where);
  if (!a.is_array()) refuse(where + "." + name, msg(MessageId::json_not_array));
  return a;
}

}  // namespace

Json model_to_json(const TrackModel& m) {
  Json j;
  j["format"] = kFormatName;
  j["version"] = kFormatVersion;
  j["line_name"] = m.line_name;
  j["train_number"] = m.train_number;
  Json& sections = j["sections"] = Json::array();
  for (int32_t i = 0; i < m.section_count(); ++i) {
    const TrackCell& c = m.sections[static_cast<size_t>(i)];
    Json s;
    s["index"] = i;
    cell_fields([&](const char* name, auto field) { s[name] = c.*field; });
    s["kind_name"] = kind_name(c.kind);
    sections.push_back(std::move(s));
  }
  Json& slots = j["slots"] = Json::array();
  const int first_sign = first_sign_slot(m);
  for (int i = 0; i < kSlotCount; ++i) {
    const SlotRecord& r = m.slots[static_cast<size_t>(i)];
    Json s;
    s["index"] = i;
    s["role"] = slot_role(m, i, first_sign);
    slot_numbers_before_text([&](const char* name, auto field) { s[name] = r.*field; });
    s["text"] = cp1252_to_utf8(r.text);
    slot_numbers_after_text([&](const char* name, auto field) { s[name] = r.*field; });
    slots.push_back(std::move(s));
  }
  if (!m.plot_created) {
    j["route_plot"] = nullptr;
    return j;
  }
  const std::vector<PlotValue> values = m.route_plot.values();
  const size_t points = values.size() / 2;
  Json x = Json::array();
  Json y = Json::array();
  for (size_t k = 0; k < points; ++k) {
    x.push_back(plot_entry(values[k]));
    y.push_back(plot_entry(values[points + k]));
  }
  j["route_plot"] = Json{{"x", std::move(x)}, {"y", std::move(y)}};
  return j;
}

TrackModel model_from_json(const Json& j) {
  if (!j.is_object() || j.value("format", std::string()) != kFormatName)
    refuse("document", msg(MessageId::json_not_scenario, kFormatName));
  if (integer<int32_t>(member(j, "version", "document"), "version") != kFormatVersion)
    refuse("version", msg(MessageId::json_version, std::to_string(kFormatVersion)));
  TrackModel m;
  const Json& sections = array_member(j, "sections", "document");
  for (size_t i = 0; i < sections.size(); ++i) {
    const std::string where = "sections[" + std::to_string(i) + "]";
    TrackCell c;
    cell_fields([&](const char* name, auto field) {
      c.*field = integer<std::remove_reference_t<decltype(c.*field)>>(member(sections[i], name, where),
                                                                      where + "." + name);
    });
    m.sections.push_back(c);
  }
  m.sections_created = true;
  m.cell_limit = m.section_count() - 1;
  const Json& slots = array_member(j, "slots", "document");
  if (slots.size() != static_cast<size_t>(kSlotCount))
    refuse("slots", msg(MessageId::json_slot_count, std::to_string(kSlotCount)));
  for (size_t i = 0; i < slots.size(); ++i) {
    const std::string where = "slots[" + std::to_string(i) + "]";
    SlotRecord& r = m.slots[i];
    auto read = [&](const char* name, auto field) {
      r.*field = integer<std::remove_reference_t<decltype(r.*field)>>(member(slots[i], name, where),
                                                                      where + "." + name);
    };
    slot_numbers_before_text(read);
    const Json& text = member(slots[i], "text", where);
    if (!text.is_string()) refuse(where + ".text", msg(MessageId::json_not_string));
    r.text = stored_text(text.get<std::string>(), where + ".text");
    slot_numbers_after_text(read);
  }
  m.line_name = cp1252_to_utf8(m.slots[kSceneSlot].text);
  m.train_number = cp1252_to_utf8(m.slots[kCabSlot].text);
  const Json& plot = member(j, "route_plot", "document");
  if (plot.is_null()) return m;
  const Json& x = array_member(plot, "x", "route_plot");
  const Json& y = array_member(plot, "y", "route_plot");
  if (x.size() != y.size()) refuse("route_plot", msg(MessageId::json_plot_sizes));
  std::vector<PlotValue> values(2 * x.size());
  for (size_t k = 0; k < x.size(); ++k) {
    values[k] = plot_value(x[k], "route_plot.x[" + std::to_string(k) + "]");
    values[x.size() + k] = plot_value(y[k], "route_plot.y[" + std::to_string(k) + "]");
  }
  m.route_plot = RoutePlot::from_values(std::move(values));
  m.plot_created = true;
  m.plot_wanted = 1;
  m.plot_limit = static_cast<int32_t>(x.size()) - 1;
  return m;
}

Json timetable_json(const TrackModel& model, double acceleration) {
  static constexpr const char* kVerdicts[] = {"ok", "too_tight", "backwards", "blocked"};
  Json rows = Json::array();
  for (const TimetableRow& r : timetable_rows(model, acceleration)) {
    Json row{{"slot", r.station.slot},         {"name", r.station.name},
             {"position", r.station.position}, {"chainage", r.chainage ? Json(*r.chainage) : Json(nullptr)},
             {"time", r.station.time != 0 ? Json(clock_text(r.station.time)) : Json(nullptr)}};
    if (r.leg) {
      const bool blocked = r.leg->bound.blocked();
      row["from"] = r.from_name;
      row["fastest_s"] = blocked ? Json(nullptr) : Json(r.leg->bound.seconds);
      row["realistic_s"] = r.leg->realistic ? Json(*r.leg->realistic) : Json(nullptr);
      row["given_s"] = r.leg->given;
      row["margin_s"] = blocked ? Json(nullptr) : Json(r.leg->given - r.leg->least);
      row["verdict"] = kVerdicts[static_cast<int>(r.leg->verdict)];
    }
    rows.push_back(std::move(row));
  }
  const std::optional<RunRates> rates = planning_rates(model, acceleration);
  return Json{{"clock", clock_text(clock_seconds(model))},
              {"realistic_run", rates ? Json{{"acceleration", rates->acceleration}, {"braking", rates->braking}}
                                      : Json(nullptr)},
              {"stations", std::move(rows)}};
}

}  // namespace compactor::inspect
