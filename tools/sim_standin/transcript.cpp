#include "tools/sim_standin/transcript.h"

#include <cerrno>
#include <cmath>
#include <cstring>

namespace standin {

std::string JsonString(const std::string& text) {
  std::string json = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"':
        json += "\\\"";
        break;
      case '\\':
        json += "\\\\";
        break;
      case '\n':
        json += "\\n";
        break;
      case '\r':
        json += "\\r";
        break;
      case '\t':
        json += "\\t";
        break;
      default:
        if (c < 0x20 || c >= 0x7F) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u%04x", c);
          json += escape;
        } else {
          json += static_cast<char>(c);
        }
    }
  }
  return json + "\"";
}

void JsonLine::Key(const char* key) {
  if (!fields_.empty()) fields_ += ",";
  fields_ += JsonString(key) + ":";
}

JsonLine& JsonLine::Text(const char* key, const std::string& value) {
  Key(key);
  fields_ += JsonString(value);
  return *this;
}

JsonLine& JsonLine::Number(const char* key, double value) {
  Key(key);
  if (!std::isfinite(value)) {
    fields_ += "null";
  } else {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    fields_ += text;
  }
  return *this;
}

JsonLine& JsonLine::Unsigned(const char* key, uint64_t value) {
  Key(key);
  fields_ += std::to_string(value);
  return *this;
}

JsonLine& JsonLine::Raw(const char* key, const std::string& json) {
  Key(key);
  fields_ += json;
  return *this;
}

namespace {

std::string Version(uint32_t major, uint32_t minor, uint32_t buildMajor, uint32_t buildMinor) {
  return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(buildMajor) +
         "." + std::to_string(buildMinor);
}

struct PacketFields {
  JsonLine* line;
  void operator()(const OpenPacket& p) const {
    char magic[16];
    std::snprintf(magic, sizeof magic, "%02x%02x%02x%02x", p.magic[0], p.magic[1], p.magic[2],
                  p.magic[3]);
    line->Text("application_name", p.applicationName)
        .Unsigned("reserved", p.reserved)
        .Text("magic", magic)
        .Text("library_version",
              Version(p.versionMajor, p.versionMinor, p.buildMajor, p.buildMinor));
  }
  void operator()(const AddToDataDefinitionPacket& p) const {
    line->Unsigned("define_id", p.defineId)
        .Text("datum_name", p.datumName)
        .Text("units_name", p.unitsName)
        .Unsigned("datum_type", p.datumType)
        .Number("epsilon", p.epsilon)
        .Unsigned("datum_id", p.datumId);
  }
  void operator()(const RequestDataOnSimObjectTypePacket& p) const {
    line->Unsigned("request_id", p.requestId)
        .Unsigned("define_id", p.defineId)
        .Unsigned("radius_meters", p.radiusMeters)
        .Unsigned("object_type", p.objectType);
  }
  void operator()(const SubscribeToSystemEventPacket& p) const {
    line->Unsigned("event_id", p.eventId).Text("event_name", p.eventName);
  }
  void operator()(const AICreateSimulatedObjectPacket& p) const {
    const InitPosition& pos = p.position;
    line->Text("title", p.containerTitle)
        .Number("latitude", pos.latitude)
        .Number("longitude", pos.longitude)
        .Number("altitude", pos.altitude)
        .Number("pitch", pos.pitch)
        .Number("bank", pos.bank)
        .Number("heading", pos.heading)
        .Unsigned("on_ground", pos.onGround)
        .Unsigned("airspeed", pos.airspeed)
        .Unsigned("request_id", p.requestId);
  }
  void operator()(const AIRemoveObjectPacket& p) const {
    line->Unsigned("object_id", p.objectId).Unsigned("request_id", p.requestId);
  }
  void operator()(const UnknownPacket&) const {}
};

struct MessageFields {
  JsonLine* line;
  void operator()(const RecvOpen& m) const {
    line->Text("kind", "OPEN")
        .Unsigned("id", kRecvOpen)
        .Text("application_name", m.applicationName)
        .Text("application_version", Version(m.applicationVersionMajor, m.applicationVersionMinor,
                                             m.applicationBuildMajor, m.applicationBuildMinor))
        .Text("simconnect_version", Version(m.simConnectVersionMajor, m.simConnectVersionMinor,
                                            m.simConnectBuildMajor, m.simConnectBuildMinor));
  }
  void operator()(const RecvQuit&) const { line->Text("kind", "QUIT").Unsigned("id", kRecvQuit); }
  void operator()(const RecvEvent& m) const {
    line->Text("kind", "EVENT")
        .Unsigned("id", kRecvEvent)
        .Unsigned("group_id", m.groupId)
        .Unsigned("event_id", m.eventId)
        .Unsigned("data", m.data);
  }
  void operator()(const RecvSimObjectDataByType& m) const {
    std::string values = "[";
    for (const DatumValue& datum : m.data) {
      if (values.size() > 1) values += ",";
      values += JsonLine()
                    .Text("name", datum.name)
                    .Text("units", datum.units)
                    .Unsigned("type", datum.type)
                    .Number("value", datum.value)
                    .str();
    }
    values += "]";
    line->Text("kind", "SIMOBJECT_DATA_BYTYPE")
        .Unsigned("id", kRecvSimObjectDataByType)
        .Unsigned("request_id", m.requestId)
        .Unsigned("object_id", m.objectId)
        .Unsigned("define_id", m.defineId)
        .Unsigned("flags", m.flags)
        .Unsigned("entry_number", m.entryNumber)
        .Unsigned("out_of", m.outOf)
        .Unsigned("define_count", m.data.size())
        .Raw("values", values);
  }
  void operator()(const RecvAssignedObjectId& m) const {
    line->Text("kind", "ASSIGNED_OBJECT_ID")
        .Unsigned("id", kRecvAssignedObjectId)
        .Unsigned("request_id", m.requestId)
        .Unsigned("object_id", m.objectId);
  }
  void operator()(const RecvException& m) const {
    line->Text("kind", "EXCEPTION")
        .Unsigned("id", kRecvException)
        .Unsigned("exception", m.exception)
        .Text("exception_name", ExceptionName(m.exception))
        .Unsigned("send_id", m.sendId)
        .Unsigned("index", m.index);
  }
};

}  // namespace

void DescribePacket(const ClientPacket& packet, JsonLine* line) {
  const ClientHeader& h = packet.header;
  line->Text("kind", FunctionName(h.function))
      .Unsigned("function", h.function)
      .Unsigned("type", h.rawType)
      .Unsigned("size", h.size)
      .Unsigned("version", h.version)
      .Unsigned("send_id", h.sendId);
  std::visit(PacketFields{line}, packet.body);
}

void DescribeMessage(const ServerMessage& message, uint32_t version, JsonLine* line) {
  std::visit(MessageFields{line}, message);
  line->Unsigned("size", EncodeMessage(message, version).size()).Unsigned("version", version);
}

Transcript::~Transcript() {
  if (file_) std::fclose(file_);
}

bool Transcript::Open(const std::string& path, std::string* error) {
  file_ = std::fopen(path.c_str(), "w");
  if (!file_) {
    *error = "cannot write the transcript " + path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

// With no transcript file the lines are not even built: describing every
// packet would be most of the stand-in's work per packet.
void Transcript::Received(uint64_t ms, int client, const ClientPacket& packet) {
  if (!file_) return;
  JsonLine line;
  line.Unsigned("t", ms).Unsigned("client", client).Text("dir", "in");
  DescribePacket(packet, &line);
  Write(line);
}

void Transcript::Sent(uint64_t ms, int client, const ServerMessage& message, uint32_t version) {
  if (!file_) return;
  JsonLine line;
  line.Unsigned("t", ms).Unsigned("client", client).Text("dir", "out");
  DescribeMessage(message, version, &line);
  Write(line);
}

void Transcript::Note(uint64_t ms, int client, const std::string& kind, const std::string& text) {
  if (!file_) return;
  JsonLine line;
  line.Unsigned("t", ms).Unsigned("client", client).Text("dir", "note").Text("kind", kind);
  line.Text("text", text);
  Write(line);
}

void Transcript::Write(const JsonLine& line) {
  if (!file_) return;
  // Flushed line by line so a reader sees everything even if we are killed.
  std::fprintf(file_, "%s\n", line.str().c_str());
  std::fflush(file_);
}

}  // namespace standin
