// Byte-level codec of the SimConnect wire format, server side: little-endian
// numbers, fixed-width strings and the two packet headers. No alignment
// padding anywhere; every multi-byte value is little-endian.
#ifndef BRINDLEWICK_TOOLS_SIM_STANDIN_WIRE_H_
#define BRINDLEWICK_TOOLS_SIM_STANDIN_WIRE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace standin {

/// Bytes of the client-to-server header: size, version, type, send id.
constexpr size_t kClientHeaderSize = 16;
/// Bytes of the server-to-client header: size, version, id.
constexpr size_t kServerHeaderSize = 12;
/// Clients set the high nibble of the type; it carries no meaning for us.
constexpr uint32_t kFunctionMask = 0x0FFFFFFF;

void PutU32(std::vector<uint8_t>* out, uint32_t value);
void PutI32(std::vector<uint8_t>* out, int32_t value);
void PutI64(std::vector<uint8_t>* out, int64_t value);
void PutF32(std::vector<uint8_t>* out, float value);
void PutF64(std::vector<uint8_t>* out, double value);
/// Writes `text` NUL-padded to exactly `width` bytes, cut to width - 1 so a
/// NUL always ends it.
void PutFixedString(std::vector<uint8_t>* out, const std::string& text, size_t width);

/// Reads little-endian values from a bounded buffer. A read past the end
/// yields zeros and clears ok(), so a short buffer can never be overrun.
class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint32_t U32();
  float F32();
  double F64();
  /// The text up to the first NUL within `width` bytes (all of them when
  /// there is none); always consumes `width` bytes.
  std::string FixedString(size_t width);
  void Skip(size_t count);
  bool ok() const { return ok_; }
  size_t position() const { return position_; }

 private:
  bool Take(size_t count, const uint8_t** bytes);
  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
  bool ok_ = true;
};

/// The 16-byte header in front of every packet a client sends.
struct ClientHeader {
  uint32_t size = 0;
  uint32_t version = 0;
  uint32_t function = 0;  // type with the high nibble masked off
  uint32_t rawType = 0;   // type as sent
  uint32_t sendId = 0;
};

/// Reads the header from at least kClientHeaderSize bytes.
ClientHeader GetClientHeader(const uint8_t* data);

/// Builds a client packet: header (type gets the 0xF nibble) plus `payload`.
/// The stand-in never sends these; its tests and fuzz inputs do.
std::vector<uint8_t> MakeClientPacket(uint32_t function, uint32_t version, uint32_t sendId,
                                      const std::vector<uint8_t>& payload);

/// Builds a server message: 12-byte header plus `body`.
std::vector<uint8_t> MakeServerMessage(uint32_t recvId, uint32_t version,
                                       const std::vector<uint8_t>& body);

}  // namespace standin

#endif  // BRINDLEWICK_TOOLS_SIM_STANDIN_WIRE_H_
