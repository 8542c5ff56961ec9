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
// nullopt when the file is no such program or carries no table inside the file. head holds
// the file's first bytes; size is the whole file's.
std::optional<uint64_t> certificate_table(std::string_view head, uint64_t size) {
  if (!head.starts_with("MZ")) return std::nullopt;
  const auto pe = read_le(head, 0x3C, 4);
  if (!pe || *pe > head.size() || head.substr(static_cast<size_t>(*pe)).substr(0, 4) != std::string_view("PE\0\0", 4))
    return std::nullopt;
  const size_t optional_header = static_cast<size_t>(*pe) + 24;
  const auto magic = read_le(head, optional_header, 2);
  if (!magic || (*magic != 0x10B && *magic != 0x20B)) return std::nullopt;
  const size_t count_at = optional_header + (*magic == 0x20B ? 108 : 92);
  const auto count = read_le(head, count_at, 4);
  if (!count || *count < 5) return std::nullopt;
  const size_t security = count_at + 4 + 4 * 8;
  const auto offset = read_le(head, security, 4);
  const auto table_size = read_le(head, security + 4, 4);
  if (!offset || !table_size || *offset == 0 || *table_size == 0 || *offset > size || *table_size > size - *offset)
    return std::nullopt;
  return *offset;
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

std::optional<uint64_t> certificate_table_offset(std::string_view head, uint64_t size) {
  return certificate_table(head, size);
}

PayloadSearch find_payload(std::string_view program) {
  const std::optional<uint64_t> table = certificate_table(program, program.size());
  return find_payload_in(program.substr(0, static_cast<size_t>(table.value_or(program.size()))), 0, table.has_value());
}

PayloadSearch find_payload_in(std::string_view tail, uint64_t tail_offset, bool before_table) {
  PayloadSearch search;
  size_t end = tail.size();
  // A certificate table starts on an 8-byte boundary; the signing tool pads with zero bytes.
  for (int i = 0; before_table && i < 7 && end > 0 && tail[end - 1] == '\0'; ++i) --end;
  tail = tail.substr(0, end);
  const std::string mark = payload_mark();
  auto damaged = [&](std::string problem) {
    search.result = PayloadSearch::Result::damaged;
    search.problem = std::move(problem);
    return search;
  };
  if (end < kTrailerSize || tail.substr(end - kTrailerMagic.size(), kTrailerMagic.size()) != kTrailerMagic) {
    const size_t at = tail.rfind(mark);
    if (at != std::string_view::npos)
      return damaged("the payload at offset " + std::to_string(tail_offset + at) +
                     " has no trailer: the file is cut short or its end is damaged");
    // A file cut inside the payload's own mark: it ends with the mark's first bytes.
    for (size_t n = std::min(mark.size() - 1, end); n > 0; --n)
      if (tail.substr(end - n) == std::string_view(mark).substr(0, n))
        return damaged("the file ends " + std::to_string(n) + " bytes into the payload's mark at offset " +
                       std::to_string(tail_offset + end - n) + ": it is cut short");
    return search;
  }
  const size_t trailer = end - kTrailerSize;
  const uint64_t trailer_at = tail_offset + trailer;
  std::copy_n(tail.begin() + static_cast<std::ptrdiff_t>(trailer), search.digest.size(), search.digest.begin());
  const uint64_t length = *read_le(tail, trailer + 32, 8);
  const uint64_t format = *read_le(tail, trailer + 40, 4);
  if (format != kPayloadFormat)
    return damaged("the payload is of format " + std::to_string(format) + ", which this runner does not know (it reads format " +
                   std::to_string(kPayloadFormat) + ")");
  if (length > trailer_at)
    return damaged("the payload length " + std::to_string(length) + " (trailer at offset " + std::to_string(trailer_at) +
                   ") is longer than the file before it");
  if (length > kMostPayloadBytes || length > trailer)
    return damaged("the payload length " + std::to_string(length) + " is more than any pack's payload can be (" +
                   std::to_string(kMostPayloadBytes) + " bytes at most)");
  const size_t start = trailer - static_cast<size_t>(length);
  search.payload = tail.substr(start, static_cast<size_t>(length));
  if (!search.payload.starts_with(mark))
    return damaged("no payload starts at offset " + std::to_string(tail_offset + start) + ", where the trailer puts it");
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
  if (const auto why = names_length_problem(pack.line_name, pack.train_number)) {
    problem = "the line name and the train number " + *why;
    return std::nullopt;
  }
  return pack;
}

}  // namespace compactor
