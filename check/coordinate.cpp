#include "check/coordinate.h"

#include <ctype.h>
#include <stdio.h>
#include <tinyxml.h>

CoordinateReading ReadCoordinate(const TiXmlElement* data, const char* name) {
  CoordinateReading reading;
  const char* text = data->Attribute(name);
  if (!text) return reading;
  reading.present = true;
  reading.text = text;
  // The loader's call decides whether there is a number; the scan below only
  // finds where that number ends, with the same conversion the library uses.
  reading.numeric = data->QueryDoubleAttribute(name, &reading.value) == TIXML_SUCCESS;
  if (!reading.numeric) return reading;
  double ignored = 0.0;
  int used = 0;
  if (sscanf(text, "%lf%n", &ignored, &used) != 1) return reading;
  const char* rest = text + used;
  const char* end = rest;
  while (*end && isspace(static_cast<unsigned char>(*end))) ++end;
  if (*end) reading.rest = rest;
  return reading;
}
