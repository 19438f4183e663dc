// The transcript: one JSON object per line for every packet received, every
// message sent and every connection event, with all fields decoded, so tests
// can check exactly what crossed the wire.
#ifndef BRINDLEWICK_TOOLS_SIM_STANDIN_TRANSCRIPT_H_
#define BRINDLEWICK_TOOLS_SIM_STANDIN_TRANSCRIPT_H_

#include <cstdint>
#include <cstdio>
#include <string>

#include "tools/sim_standin/protocol.h"

namespace standin {

/// One JSON object, built field by field, written on one line.
class JsonLine {
 public:
  JsonLine& Text(const char* key, const std::string& value);
  /// Non-finite numbers become null, which JSON can carry.
  JsonLine& Number(const char* key, double value);
  JsonLine& Unsigned(const char* key, uint64_t value);
  /// `json` must already be valid JSON (an array or object).
  JsonLine& Raw(const char* key, const std::string& json);
  std::string str() const { return "{" + fields_ + "}"; }

 private:
  void Key(const char* key);
  std::string fields_;
};

/// `text` as a JSON string literal. Bytes are taken as Latin-1, the wire's
/// encoding, so every byte value survives as one character.
std::string JsonString(const std::string& text);

/// Adds the packet's kind and every decoded field.
void DescribePacket(const ClientPacket& packet, JsonLine* line);

/// Adds the message's kind and every field.
void DescribeMessage(const ServerMessage& message, uint32_t version, JsonLine* line);

class Transcript {
 public:
  ~Transcript();
  bool Open(const std::string& path, std::string* error);
  void Received(uint64_t ms, int client, const ClientPacket& packet);
  void Sent(uint64_t ms, int client, const ServerMessage& message, uint32_t version);
  /// A connection event or scenario step: `kind` such as "connect", "drop".
  void Note(uint64_t ms, int client, const std::string& kind, const std::string& text);

 private:
  void Write(const JsonLine& line);
  std::FILE* file_ = nullptr;
};

}  // namespace standin

#endif  // BRINDLEWICK_TOOLS_SIM_STANDIN_TRANSCRIPT_H_
