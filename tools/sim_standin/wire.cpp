#include "tools/sim_standin/wire.h"

#include <algorithm>
#include <cstring>

namespace standin {

namespace {

void PutBytesLE(std::vector<uint8_t>* out, uint64_t value, int count) {
  for (int i = 0; i < count; ++i) out->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint64_t GetBytesLE(const uint8_t* data, int count) {
  uint64_t value = 0;
  for (int i = 0; i < count; ++i) value |= static_cast<uint64_t>(data[i]) << (8 * i);
  return value;
}

}  // namespace

void PutU32(std::vector<uint8_t>* out, uint32_t value) { PutBytesLE(out, value, 4); }

void PutI32(std::vector<uint8_t>* out, int32_t value) {
  PutBytesLE(out, static_cast<uint32_t>(value), 4);
}

void PutI64(std::vector<uint8_t>* out, int64_t value) {
  PutBytesLE(out, static_cast<uint64_t>(value), 8);
}

void PutF32(std::vector<uint8_t>* out, float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  PutBytesLE(out, bits, 4);
}

void PutF64(std::vector<uint8_t>* out, double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  PutBytesLE(out, bits, 8);
}

void PutFixedString(std::vector<uint8_t>* out, const std::string& text, size_t width) {
  if (width == 0) return;
  size_t length = std::min(text.size(), width - 1);
  out->insert(out->end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length));
  out->insert(out->end(), width - length, 0);
}

bool Reader::Take(size_t count, const uint8_t** bytes) {
  if (!ok_ || count > size_ - position_) {
    ok_ = false;
    position_ = size_;
    return false;
  }
  *bytes = data_ + position_;
  position_ += count;
  return true;
}

uint32_t Reader::U32() {
  const uint8_t* bytes;
  return Take(4, &bytes) ? static_cast<uint32_t>(GetBytesLE(bytes, 4)) : 0;
}

float Reader::F32() {
  const uint8_t* bytes;
  if (!Take(4, &bytes)) return 0.0f;
  uint32_t bits = static_cast<uint32_t>(GetBytesLE(bytes, 4));
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

double Reader::F64() {
  const uint8_t* bytes;
  if (!Take(8, &bytes)) return 0.0;
  uint64_t bits = GetBytesLE(bytes, 8);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

std::string Reader::FixedString(size_t width) {
  const uint8_t* bytes;
  if (!Take(width, &bytes)) return std::string();
  const void* nul = std::memchr(bytes, 0, width);
  size_t length = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - bytes) : width;
  return std::string(reinterpret_cast<const char*>(bytes), length);
}

void Reader::Skip(size_t count) {
  const uint8_t* bytes;
  Take(count, &bytes);
}

ClientHeader GetClientHeader(const uint8_t* data) {
  Reader reader(data, kClientHeaderSize);
  ClientHeader header;
  header.size = reader.U32();
  header.version = reader.U32();
  header.rawType = reader.U32();
  header.function = header.rawType & kFunctionMask;
  header.sendId = reader.U32();
  return header;
}

std::vector<uint8_t> MakeClientPacket(uint32_t function, uint32_t version, uint32_t sendId,
                                      const std::vector<uint8_t>& payload) {
  std::vector<uint8_t> packet;
  PutU32(&packet, static_cast<uint32_t>(kClientHeaderSize + payload.size()));
  PutU32(&packet, version);
  PutU32(&packet, 0xF0000000u | function);
  PutU32(&packet, sendId);
  packet.insert(packet.end(), payload.begin(), payload.end());
  return packet;
}

std::vector<uint8_t> MakeServerMessage(uint32_t recvId, uint32_t version,
                                       const std::vector<uint8_t>& body) {
  std::vector<uint8_t> message;
  PutU32(&message, static_cast<uint32_t>(kServerHeaderSize + body.size()));
  PutU32(&message, version);
  PutU32(&message, recvId);
  message.insert(message.end(), body.begin(), body.end());
  return message;
}

}  // namespace standin
