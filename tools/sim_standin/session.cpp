#include "tools/sim_standin/session.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <type_traits>

#include "check/title_index.h"

namespace standin {

namespace {

// The FSX SP2 protocol and what its Open carries; older FSX dialects (2 and 3)
// use the same six packets, so they are served too.
constexpr uint32_t kNewestProtocol = 4;
constexpr uint32_t kOldestProtocol = 2;

bool EqualNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

RecvException Refuse(const ClientPacket& packet, uint32_t exception, uint32_t index) {
  return RecvException{exception, packet.header.sendId, index};
}

// Simulation variables the stand-in can answer, with the units it knows them
// in. Names and units are matched without regard to case, as SimConnect does.
bool IsServedDatum(const std::string& name) { return EqualNoCase(name, "ZULU MONTH OF YEAR"); }
bool IsServedUnits(const std::string& units) { return EqualNoCase(units, "Number"); }

struct Handler {
  const ClientPacket& packet;
  World* world;
  Session* session;
  std::vector<ServerMessage>* out;

  Verdict operator()(const OpenPacket& open) {
    if (session->opened) {
      out->push_back(Refuse(packet, kExceptionIllegalOperation, kUnknownIndex));
      return Verdict::kKeep;
    }
    bool magicOk =
        open.magic[0] == 0 && open.magic[1] == 'X' && open.magic[2] == 'S' && open.magic[3] == 'F';
    uint32_t protocol = packet.header.version;
    if (protocol < kOldestProtocol || protocol > kNewestProtocol || !magicOk) {
      // A client that wants another simulator retries on a new connection.
      out->push_back(Refuse(packet, kExceptionVersionMismatch, kUnknownIndex));
      return Verdict::kClose;
    }
    session->opened = true;
    session->version = protocol;
    session->applicationName = open.applicationName;
    RecvOpen reply;
    reply.applicationName = "Microsoft Flight Simulator X";
    reply.applicationVersionMajor = 10;
    reply.applicationBuildMajor = 61472;
    reply.simConnectVersionMajor = 10;
    reply.simConnectBuildMajor = 61259;
    out->push_back(reply);
    return Verdict::kKeep;
  }

  // Indexes in exceptions count the call's arguments after the handle, from 1.
  Verdict operator()(const AddToDataDefinitionPacket& add) {
    if (!IsServedDatum(add.datumName)) return Fail(kExceptionNameUnrecognized, 2);
    if (!IsServedUnits(add.unitsName)) return Fail(kExceptionNameUnrecognized, 3);
    if (DataTypeSize(add.datumType) == 0) return Fail(kExceptionNameUnrecognized, 4);
    auto found = session->definitions.find(add.defineId);
    if (found == session->definitions.end()) {
      if (session->definitions.size() >= kMaxDefinitions) {
        return Fail(kExceptionDefinitionError, 1);
      }
      found = session->definitions.emplace(add.defineId, std::vector<Datum>()).first;
    }
    if (found->second.size() >= kMaxDatumsPerDefinition) {
      return Fail(kExceptionDefinitionError, 1);
    }
    found->second.push_back(Datum{add.datumName, add.unitsName, add.datumType});
    return Verdict::kKeep;
  }

  Verdict operator()(const RequestDataOnSimObjectTypePacket& request) {
    auto found = session->definitions.find(request.defineId);
    if (found == session->definitions.end()) return Fail(kExceptionUnrecognizedId, 2);
    if (request.radiusMeters > 200000) return Fail(kExceptionOutOfBounds, 3);
    if (request.objectType > 5) return Fail(kExceptionInvalidEnum, 4);
    // The user aircraft is the only object with data here, whatever the type
    // and radius: created objects carry no simulation variables.
    RecvSimObjectDataByType reply;
    reply.requestId = request.requestId;
    reply.objectId = kUserObjectId;
    reply.defineId = request.defineId;
    for (const Datum& datum : found->second) {
      reply.data.push_back(DatumValue{datum.name, datum.units, datum.type, world->month});
    }
    out->push_back(reply);
    return Verdict::kKeep;
  }

  Verdict operator()(const SubscribeToSystemEventPacket& subscribe) {
    if (!IsKnownSystemEvent(subscribe.eventName)) return Fail(kExceptionNameUnrecognized, 2);
    bool isNew = session->subscriptions.count(subscribe.eventId) == 0;
    if (isNew && session->subscriptions.size() >= kMaxSubscriptions) {
      return Fail(kExceptionTooManyEventNames, 1);
    }
    // A second subscription under the same client id replaces the first.
    session->subscriptions[subscribe.eventId] = subscribe.eventName;
    return Verdict::kKeep;
  }

  Verdict operator()(const AICreateSimulatedObjectPacket& create) {
    const auto& refused = world->refusedTitles;
    if (create.containerTitle.empty() ||
        std::find(refused.begin(), refused.end(), create.containerTitle) != refused.end() ||
        (world->onlyInstalledTitles &&
         !world->installedTitles.count(FoldCase(create.containerTitle)))) {
      return Fail(kExceptionCreateObjectFailed, 1);
    }
    if (session->objects.size() >= world->maxObjects || world->nextObjectId == 0) {
      return Fail(kExceptionTooManyObjects, 1);
    }
    SimObject object{world->nextObjectId++, create.containerTitle, create.position};
    session->objects.emplace_hint(session->objects.end(), object.id, object);
    out->push_back(RecvAssignedObjectId{create.requestId, object.id});
    return Verdict::kKeep;
  }

  // An id that names no standing object of this client (0, a removed one, an
  // unknown one) is refused as UNRECOGNIZED_ID on the object id argument.
  Verdict operator()(const AIRemoveObjectPacket& remove) {
    if (session->objects.erase(remove.objectId) == 0) return Fail(kExceptionUnrecognizedId, 1);
    return Verdict::kKeep;
  }

  Verdict operator()(const UnknownPacket&) { return Fail(kExceptionUnrecognizedId, kUnknownIndex); }

  Verdict Fail(uint32_t exception, uint32_t index) {
    out->push_back(Refuse(packet, exception, index));
    return Verdict::kKeep;
  }
};

}  // namespace

bool IsKnownSystemEvent(const std::string& name) {
  static const char* const kNames[] = {"1sec",
                                       "4sec",
                                       "6Hz",
                                       "AircraftLoaded",
                                       "Crashed",
                                       "CrashReset",
                                       "FlightLoaded",
                                       "FlightSaved",
                                       "FlightPlanActivated",
                                       "FlightPlanDeactivated",
                                       "Frame",
                                       "ObjectAdded",
                                       "ObjectRemoved",
                                       "Pause",
                                       "Paused",
                                       "PauseFrame",
                                       "PositionChanged",
                                       "Sim",
                                       "SimStart",
                                       "SimStop",
                                       "Sound",
                                       "Unpaused",
                                       "View",
                                       "WeatherModeChanged"};
  for (const char* known : kNames) {
    if (EqualNoCase(name, known)) return true;
  }
  return false;
}

Verdict HandlePacket(const ClientPacket& packet, World* world, Session* session,
                     std::vector<ServerMessage>* out) {
  if (!session->opened) {
    session->version = packet.header.version;
    if (packet.header.function != kFunctionOpen) {
      out->push_back(Refuse(packet, kExceptionUnopened, kUnknownIndex));
      return Verdict::kKeep;
    }
  }
  return std::visit(Handler{packet, world, session, out}, packet.body);
}

std::string FormatObjects(const std::map<uint32_t, SimObject>& objects) {
  if (objects.empty()) return "    (none)\n";
  std::string text;
  for (const auto& [id, object] : objects) {
    // Sized from what is printed: a latitude of 1e300 is over 300 digits.
    const char* format = " lat %.6f lon %.6f alt %.2f ft\n";
    const InitPosition& at = object.position;
    int length = std::snprintf(nullptr, 0, format, at.latitude, at.longitude, at.altitude);
    std::string line(static_cast<size_t>(std::max(length, 0)) + 1, '\0');
    std::snprintf(line.data(), line.size(), format, at.latitude, at.longitude, at.altitude);
    line.pop_back();
    text += "    " + std::to_string(object.id) + " \"" + object.title + "\"" + line;
  }
  return text;
}

void StartFlight(double month, World* world, const Session& session,
                 std::vector<ServerMessage>* out) {
  world->month = month;
  for (const auto& [eventId, name] : session.subscriptions) {
    if (EqualNoCase(name, "SimStart")) out->push_back(RecvEvent{kUnknownGroup, eventId, 0});
  }
}

}  // namespace standin
