#pragma once
// A pack program: a prebuilt runner, with a scenario pack appended to the end of its file
// and a trailer after it. Bytes in, bytes out; no file system, so that every maker of a
// program (scenario-pack, a web page) writes the same bytes and the runner reads them back.
//
//   runner | payload | SHA-256 of the payload (32) | payload length (u64) | format (u32) | magic (8)
//
// Integers are little-endian. The payload starts with its own 16-byte mark, then the
// encoding (one byte: 0 UTF-8, 1 Windows-1252) and the line name, train number, line,
// train, notes, form and card, each a u32 length and its bytes: the pack's files as they stand.
// A signed Windows program carries its certificate table after all this; the trailer then
// ends just before that table (and the up to 7 zero bytes that align it).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "sources/file_names.h"
#include "sources/pack_text.h"
#include "sources/text_bounds.h"

namespace compactor {

inline constexpr uint32_t kPayloadFormat = 1;
inline constexpr size_t kTrailerSize = 32 + 8 + 4 + 8;
using Sha256 = std::array<uint8_t, 32>;

// Whether the file holds the text every runner carries as it stands, "scenario-compactor
// runner, payload format 1", by which a maker of programs knows a runner from any other
// program (the makers hold the text only masked).
bool carries_runner_mark(std::string_view file);

// The payload of a pack: its identity and the bytes of its five texts.
std::string encode_pack_payload(const PackBytes& pack);

// The program: the runner's bytes, the payload and its trailer. digest is the payload's SHA-256.
std::string append_payload(std::string_view runner, std::string_view payload, const Sha256& digest);

// Where a program's payload lies, as far as its file tells.
struct PayloadSearch {
  enum class Result { found, none, damaged } result = Result::none;
  std::string_view payload;  // found: the payload's bytes, still to be checked against digest
  Sha256 digest{};
  std::string problem;  // damaged: what is wrong, with the offset where it helps
};

// The most bytes a payload takes: its mark, the encoding, seven lengths, two names that fit
// a file name and five texts of a pack at their largest (sources/text_bounds.h).
inline constexpr uint64_t kMostPayloadBytes = 16 + 1 + 7 * 4 + 2 * kLongestFileName + 5 * kMostPackTextBytes;
// What a runner reads of its own file, ending where its trailer ends: the largest payload,
// its trailer and the zero bytes that may align a certificate table after them.
inline constexpr uint64_t kPayloadWindow = kMostPayloadBytes + kTrailerSize + 7;

// The most a runner takes: a stripped one 2.2 MB, one with its debug information 14 MB, one
// built with the sanitizers more; a larger file is none.
inline constexpr uint64_t kMostRunnerBytes = uint64_t{64} << 20;

// Finds the payload in a program's bytes: before the trailer at the end of the file, or
// at the end of what a Windows program's header says precedes its certificate table.
// none: a bare runner (no trailer and no payload mark). A file cut inside the payload's
// mark, or a payload longer than any pack's, is damaged.
PayloadSearch find_payload(std::string_view program);

// Where a Windows program's certificate table starts, from the file's first bytes (its
// headers, 4096 are plenty) and its size; nullopt when it has none.
std::optional<uint64_t> certificate_table_offset(std::string_view head, uint64_t size);
inline constexpr size_t kProgramHeadBytes = 4096;

// find_payload on the last bytes of a program only: tail holds the file's bytes from
// tail_offset up to its end, or up to its certificate table (before_table). Offsets in the
// problem are the file's.
PayloadSearch find_payload_in(std::string_view tail, uint64_t tail_offset, bool before_table);

// The pack a checked payload carries (views into payload), or nullopt with problem set:
// a length beyond the payload's end, an unknown encoding, bytes left over, or a line
// name or train number that no program may write files under.
std::optional<PackBytes> decode_pack_payload(std::string_view payload, std::string& problem);

}  // namespace compactor
