#include "sources/pack_payload.h"

#include <algorithm>

#include "sources/little_endian.h"
#include "sources/scenario_names.h"

namespace compactor {
namespace {

constexpr std::string_view kTrailerMagic = "SCENPAK\x1a";

// The payload's opening mark, kept masked in the program so that a runner never holds it
// as it stands: the only copy in a program's file is the one that opens its payload, and a
// payload whose trailer was cut off can still be told from a bare runner. Volatile, so
// that no compiler folds the unmasking into a constant.
constexpr uint8_t kMask = 0xA5;
const volatile uint8_t kMaskedMark[16] = {
    0x89 ^ kMask, 'S' ^ kMask, 'C' ^ kMask, 'E' ^ kMask, 'N' ^ kMask, 'A' ^ kMask, 'R' ^ kMask, 'I' ^ kMask,
    'O' ^ kMask,  '-' ^ kMask, 'P' ^ kMask, 'A' ^ kMask, 'C' ^ kMask, 'K' ^ kMask, '\r' ^ kMask, '\n' ^ kMask};

// The runner's mark ("scenario-compactor runner, payload format 1"), masked in the same
// way: only the runner holds it as it stands (driver/runner_main.cpp), so that no maker of
// programs passes for a runner.
const volatile uint8_t kMaskedRunnerMark[] = {
    's' ^ kMask, 'c' ^ kMask, 'e' ^ kMask, 'n' ^ kMask, 'a' ^ kMask, 'r' ^ kMask, 'i' ^ kMask, 'o' ^ kMask,
    '-' ^ kMask, 'c' ^ kMask, 'o' ^ kMask, 'm' ^ kMask, 'p' ^ kMask, 'a' ^ kMask, 'c' ^ kMask, 't' ^ kMask,
    'o' ^ kMask, 'r' ^ kMask, ' ' ^ kMask, 'r' ^ kMask, 'u' ^ kMask, 'n' ^ kMask, 'n' ^ kMask, 'e' ^ kMask,
    'r' ^ kMask, ',' ^ kMask, ' ' ^ kMask, 'p' ^ kMask, 'a' ^ kMask, 'y' ^ kMask, 'l' ^ kMask, 'o' ^ kMask,
    'a' ^ kMask, 'd' ^ kMask, ' ' ^ kMask, 'f' ^ kMask, 'o' ^ kMask, 'r' ^ kMask, 'm' ^ kMask, 'a' ^ kMask,
    't' ^ kMask, ' ' ^ kMask, '1' ^ kMask,
};

std::string unmasked(const volatile uint8_t* bytes, size_t size) {
  std::string text(size, '\0');
  for (size_t i = 0; i < size; ++i) text[i] = static_cast<char>(bytes[i] ^ kMask);
  return text;
}

std::string payload_mark() { return unmasked(kMaskedMark, sizeof kMaskedMark); }

// The file offset of a Windows program's certificate table (its security directory), or
// nullopt when the file is no such program or carries no table inside the file.
std::optional<size_t> certificate_table(std::string_view file) {
  if (!file.starts_with("MZ")) return std::nullopt;
  const auto pe = read_le(file, 0x3C, 4);
  if (!pe || *pe > file.size() || file.substr(static_cast<size_t>(*pe)).substr(0, 4) != std::string_view("PE\0\0", 4))
    return std::nullopt;
  const size_t optional_header = static_cast<size_t>(*pe) + 24;
  const auto magic = read_le(file, optional_header, 2);
  if (!magic || (*magic != 0x10B && *magic != 0x20B)) return std::nullopt;
  const size_t count_at = optional_header + (*magic == 0x20B ? 108 : 92);
  const auto count = read_le(file, count_at, 4);
  if (!count || *count < 5) return std::nullopt;
  const size_t security = count_at + 4 + 4 * 8;
  const auto offset = read_le(file, security, 4);
  const auto size = read_le(file, security + 4, 4);
  if (!offset || !size || *offset == 0 || *size == 0 || *offset > file.size() || *size > file.size() - *offset)
    return std::nullopt;
  return static_cast<size_t>(*offset);
}

// Reads one u32-length-prefixed field; false when its length runs past the payload's end.
bool take_field(std::string_view payload, size_t& at, std::string_view& field) {
  const auto length = read_le(payload, at, 4);
  if (!length || *length > payload.size() - at - 4) return false;
  field = payload.substr(at + 4, static_cast<size_t>(*length));
  at += 4 + static_cast<size_t>(*length);
  return true;
}

}  // namespace

std::string encode_pack_payload(const PackBytes& pack) {
  std::string out = payload_mark();
  out.push_back(pack.encoding == TextEncoding::utf8 ? '\0' : '\1');
  for (std::string_view field :
       {pack.line_name, pack.train_number, pack.line, pack.train, pack.notes, pack.form, pack.card}) {
    append_le(out, field.size(), 4);
    out.append(field);
  }
  return out;
}

std::string append_payload(std::string_view runner, std::string_view payload, const Sha256& digest) {
  std::string out;
  out.reserve(runner.size() + payload.size() + kTrailerSize);
  out.append(runner);
  out.append(payload);
  out.append(reinterpret_cast<const char*>(digest.data()), digest.size());
  append_le(out, payload.size(), 8);
  append_le(out, kPayloadFormat, 4);
  out.append(kTrailerMagic);
  return out;
}

bool carries_runner_mark(std::string_view file) {
  return file.find(unmasked(kMaskedRunnerMark, sizeof kMaskedRunnerMark)) != std::string_view::npos;
}

PayloadSearch find_payload(std::string_view program) {
  PayloadSearch search;
  size_t end = program.size();
  if (const auto table = certificate_table(program)) {
    end = *table;
    // The table starts on an 8-byte boundary; the signing tool pads with zero bytes.
    for (int i = 0; i < 7 && end > 0 && program[end - 1] == '\0'; ++i) --end;
  }
  const std::string mark = payload_mark();
  auto damaged = [&](std::string problem) {
    search.result = PayloadSearch::Result::damaged;
    search.problem = std::move(problem);
    return search;
  };
  if (end < kTrailerSize || program.substr(end - kTrailerMagic.size(), kTrailerMagic.size()) != kTrailerMagic) {
    const size_t at = program.rfind(mark);
    if (at == std::string_view::npos) return search;
    return damaged("the payload at offset " + std::to_string(at) +
                   " has no trailer: the file is cut short or its end is damaged");
  }
  const size_t trailer = end - kTrailerSize;
  std::copy_n(program.begin() + static_cast<std::ptrdiff_t>(trailer), search.digest.size(), search.digest.begin());
  const uint64_t length = *read_le(program, trailer + 32, 8);
  const uint64_t format = *read_le(program, trailer + 40, 4);
  if (format != kPayloadFormat)
    return damaged("the payload is of format " + std::to_string(format) + ", which this runner does not know (it reads format " +
                   std::to_string(kPayloadFormat) + ")");
  if (length > trailer)
    return damaged("the payload length " + std::to_string(length) + " (trailer at offset " + std::to_string(trailer) +
                   ") is longer than the file before it");
  const size_t start = trailer - static_cast<size_t>(length);
  search.payload = program.substr(start, static_cast<size_t>(length));
  if (!search.payload.starts_with(mark))
    return damaged("no payload starts at offset " + std::to_string(start) + ", where the trailer puts it");
  search.result = PayloadSearch::Result::found;
  return search;
}

std::optional<PackBytes> decode_pack_payload(std::string_view payload, std::string& problem) {
  const size_t head = payload_mark().size();
  if (payload.size() <= head) {
    problem = "the payload is too short";
    return std::nullopt;
  }
  const auto encoding = static_cast<uint8_t>(payload[head]);
  if (encoding > 1) {
    problem = "the payload names an unknown encoding " + std::to_string(encoding) + " at offset " + std::to_string(head);
    return std::nullopt;
  }
  PackBytes pack{};
  pack.encoding = encoding == 0 ? TextEncoding::utf8 : TextEncoding::windows1252;
  size_t at = head + 1;
  for (std::string_view* field :
       {&pack.line_name, &pack.train_number, &pack.line, &pack.train, &pack.notes, &pack.form, &pack.card}) {
    if (!take_field(payload, at, *field)) {
      problem = "a length at payload offset " + std::to_string(at) + " runs past the payload's end";
      return std::nullopt;
    }
  }
  if (at != payload.size()) {
    problem = std::to_string(payload.size() - at) + " bytes are left over at the payload's end";
    return std::nullopt;
  }
  for (const auto& [what, name] : {std::pair{"line name", pack.line_name}, std::pair{"train number", pack.train_number}}) {
    if (const auto why = identity_problem(name)) {
      std::string shown;
      for (const char c : name) shown += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
      problem = std::string("the ") + what + " \"" + shown + "\" " + *why;
      return std::nullopt;
    }
  }
  return pack;
}

}  // namespace compactor
