// The search for SimConnect.dll with a double of Windows' loader: which
// version is taken, and that everything tried and not kept is released.
#include "simconnect/library_probe.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

using namespace simconnect_probe;

// The machine: what each installed version's DLL exports ("" = all of ours,
// "-Name" = all but that one, "broken" = does not load, "no runtime" = does
// not load for want of the assembly its own manifest names).
std::map<std::string, std::string> installed;
std::string tried;                // the versions asked for, in order
int contexts = 0, libraries = 0;  // held now
int active = -1;                  // the version whose context is active

struct Fake {
  int version;
};
Fake fakes[kVersionCount];

const Calls kFakeCalls = {
    [](int version) -> void* {
      tried += std::string(kVersions[version]).substr(5, 5) + " ";
      if (!installed.count(kVersions[version])) return nullptr;
      ++contexts;
      fakes[version].version = version;
      return &fakes[version];
    },
    [](void* context, uintptr_t* cookie) {
      active = static_cast<Fake*>(context)->version;
      *cookie = 7;
      return true;
    },
    [](uintptr_t cookie) { active = cookie == 7 ? -1 : active; },
    // Without an active context the load would find no SimConnect.dll.
    [](unsigned long* error) -> void* {
      const std::string kind = active < 0 ? "" : installed[kVersions[active]];
      *error = active < 0 ? 126 : kind == "no runtime" ? 14001 : 193;
      if (active < 0 || kind == "broken" || kind == "no runtime") return nullptr;
      ++libraries;
      return &fakes[active];
    },
    [](void* library, const char* function) -> void* {
      const std::string& exports = installed[kVersions[static_cast<Fake*>(library)->version]];
      return exports == std::string("-") + function ? nullptr : library;
    },
    [](void*) { --libraries; }, [](void*) { --contexts; },
    [](void* library, std::string* file, std::string* version) {
      *version = kVersions[static_cast<Fake*>(library)->version];
      *file = "C:\\" + *version + "\\SimConnect.dll";
    },
    [](void*) { return std::string(); },  // as a Windows that cannot say
};

TEST(SimConnectProbe, TakesTheFirstCompleteVersionInOrder) {
  const std::string kAll = "61259 62615 62614 62613 62612 62611 62610 62609 62608 62607 61242 60905 ";
  const struct {
    std::map<std::string, std::string> installed;
    const char* used;  // "" when none
    std::string tried;
    const char* unusable = "";  // when none is used: the first installed, and why
  } cases[] = {
      // SP2 / Acceleration first, whatever else is there.
      {{{"10.0.61259.0", ""}, {"10.0.62615.0", ""}, {"10.0.60905.0", ""}}, "10.0.61259.0", "61259 "},
      // A Steam Edition alone: its latest build is asked for first.
      {{{"10.0.62610.0", ""}}, "10.0.62610.0", "61259 62615 62614 62613 62612 62611 62610 "},
      {{{"10.0.61242.0", ""}, {"10.0.60905.0", ""}}, "10.0.61242.0", kAll.substr(0, 66)},
      // One that lacks a function or will not load is passed over.
      {{{"10.0.61259.0", "-SimConnect_AIRemoveObject"}, {"10.0.62613.0", "broken"}, {"10.0.62607.0", ""}},
       "10.0.62607.0", kAll.substr(0, 60)},
      {{{"10.0.60905.0", "-SimConnect_Open"}}, "", kAll,
       "10.0.60905.0 its SimConnect.dll lacks SimConnect_Open"},
      {{{"10.0.62614.0", "broken"}, {"10.0.60905.0", "-SimConnect_Close"}}, "", kAll,
       "10.0.62614.0 its SimConnect.dll is not a DLL for this system"},
      {{{"10.0.61259.0", "no runtime"}}, "", kAll,
       "10.0.61259.0 an assembly its SimConnect.dll needs (such as the Visual C++ 2005 runtime) is missing"},
      {{}, "", kAll},
  };
  for (const auto& c : cases) {
    installed = c.installed;
    tried.clear();
    contexts = libraries = 0;
    Library library;
    Attempt unusable;
    bool found = LoadFirst(kFakeCalls, &library, &unusable);
    SCOPED_TRACE(c.used);
    EXPECT_EQ(found ? kVersions[library.version] : "", std::string(c.used));
    if (!found) {
      EXPECT_EQ(
          unusable.version < 0 ? "" : kVersions[unusable.version] + (" " + WhyUnusable(unusable)),
          c.unusable);
    }
    EXPECT_EQ(tried, c.tried);
    EXPECT_EQ(active, -1);  // every activation undone
    EXPECT_EQ(contexts, found ? 1 : 0);
    EXPECT_EQ(libraries, found ? 1 : 0);
    for (void* function : library.functions) EXPECT_EQ(function != nullptr, found);
    Release(kFakeCalls, &library);
    EXPECT_EQ(contexts + libraries, 0);
  }
}

}  // namespace
