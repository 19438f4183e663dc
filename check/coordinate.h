// Reading one PlacementData coordinate the way the program does, and telling
// what of its text the program leaves unread.
#ifndef BRINDLEWICK_CHECK_COORDINATE_H_
#define BRINDLEWICK_CHECK_COORDINATE_H_

#include <string>

class TiXmlElement;

struct CoordinateReading {
  bool present = false;  // the attribute exists
  bool numeric = false;  // the program takes a number from it
  double value = 0.0;    // that number, when numeric
  std::string text;      // the attribute's text
  std::string rest;      // what follows the number, when that is more than blanks
};

/// Reads attribute `name` of `data` with the same library call as the loader.
CoordinateReading ReadCoordinate(const TiXmlElement* data, const char* name);

#endif  // BRINDLEWICK_CHECK_COORDINATE_H_
