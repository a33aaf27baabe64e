// Typed reads and writes of leaf entries by key.
#include "framework/core/Date.h"
#include "framework/core/Number.h"
#include "framework/core/Text.h"
#include "plist/plistDict.h"

namespace {

const char* const kString = "string";
const char* const kInteger = "integer";
const char* const kReal = "real";
const char* const kBoolean = "boolean";
const char* const kDate = "date";
const char* const kData = "data";

bool IsLevelType(const fw::String& typeName) { return typeName == "dict" || typeName == "array"; }

}  // namespace

// ---- Checks -----------------------------------------------------------------

std::int32_t plistDict::CheckType(const fw::String& key, const fw::String& typeName) {
  SetError(false, "");
  const fw::String* stored = types.Find(key);
  if (stored == nullptr) return 2;
  if (fw::TextEquals(*stored, typeName)) return 1;
  SetError(true, "Type Mismatch: " + key + " is a " + *stored);
  return 0;
}

bool plistDict::TypeOK(const fw::String& key) {
  const fw::String* t = types.Find(key);
  if (t != nullptr && IsLevelType(*t)) {
    SetError(true, "Illegal Type: " + key + " is a " + *t);
    return false;
  }
  return true;
}

fw::String plistDict::MakeTwo(std::int32_t number) {
  if (number >= 10) return fw::Str(number);
  fw::String two = "0";  // appended, not "0" + text: g++ 12 -O3 warns falsely
  two += fw::Str(number);
  return two;
}

fw::String plistDict::DateText(const fw::Date& date) {
  return fw::Str(date.Year()) + "-" + MakeTwo(date.Month()) + "-" + MakeTwo(date.Day()) + "T" +
         MakeTwo(date.Hour()) + ":" + MakeTwo(date.Minute()) + ":" + MakeTwo(date.Second()) + "Z";
}

// ---- Writes -----------------------------------------------------------------

void plistDict::StoreLeaf(const fw::String& key, const fw::String& typeName,
                          const fw::String& text) {
  types.SetValue(key, typeName);
  values.SetValue(key, text);
  searched.SetValue(key, false);
}

void plistDict::StoreTyped(const fw::String& key, const fw::String& typeName,
                           const fw::String& text) {
  if (CheckType(key, typeName) != 0) StoreLeaf(key, typeName, text);
}

void plistDict::SetString(const fw::String& key, const fw::String& value) {
  StoreTyped(key, kString, value);
}

void plistDict::SetInteger(const fw::String& key, double value) {
  StoreTyped(key, kInteger, fw::Format(value, "-#"));
}

void plistDict::SetDouble(const fw::String& key, double value) {
  StoreTyped(key, kReal, fw::Str(value));
}

void plistDict::SetReal(const fw::String& key, double value) {
  StoreTyped(key, kReal, fw::Str(value));
}

void plistDict::SetBoolean(const fw::String& key, bool value) {
  StoreTyped(key, kBoolean, value ? "true" : "false");
  indexOf = -1;
}

void plistDict::SetDate(const fw::String& key, const std::optional<fw::Date>& value) {
  if (!value) return;
  if (CheckType(key, kDate) != 0) StoreLeaf(key, kDate, DateText(*value));
}

void plistDict::SetData(const fw::String& key, const fw::String& value) {
  StoreLeaf(key, kData, value);
}

// ---- Reads ------------------------------------------------------------------

fw::String plistDict::GetValue(const fw::String& key, const fw::String& deflt) {
  if (!Exists(key)) SetString(key, deflt);
  SetError(false, "");
  if (values.HasKey(key)) {
    if (!TypeOK(key)) return fw::String();
    return values.Value(key);
  }
  SetError(true, "Key " + key + " does not exist");
  return fw::String();
}

fw::String plistDict::GetValue(const fw::String& key) { return GetValue(key, fw::String()); }

fw::String plistDict::GetString(const fw::String& key, const fw::String& deflt) {
  return GetValue(key, deflt);
}

fw::String plistDict::GetString(const fw::String& key) { return GetString(key, fw::String()); }

fw::String plistDict::GetData(const fw::String& key, const fw::String& deflt) {
  return GetValue(key, deflt);
}

fw::String plistDict::GetData(const fw::String& key) { return GetData(key, fw::String()); }

double plistDict::ReadNumber(const fw::String& key) {
  if (!TypeOK(key)) return 0.0;
  if (GetType(key) == kDate) {
    SetError(true, "Type Mismatch: " + key + " is a date");
    return -1.0;
  }
  return fw::CDbl(GetValue(key));
}

std::int32_t plistDict::GetInteger(const fw::String& key, std::int32_t deflt) {
  if (!Exists(key)) SetInteger(key, static_cast<double>(deflt));
  return fw::ToInt32(ReadNumber(key));
}

std::int32_t plistDict::GetInteger(const fw::String& key) { return GetInteger(key, 0); }

double plistDict::GetDouble(const fw::String& key, double deflt) {
  if (!Exists(key)) SetDouble(key, deflt);
  return ReadNumber(key);
}

double plistDict::GetDouble(const fw::String& key) { return GetDouble(key, 0.0); }

double plistDict::GetReal(const fw::String& key, double deflt) {
  if (!Exists(key)) SetReal(key, deflt);
  return ReadNumber(key);
}

double plistDict::GetReal(const fw::String& key) { return GetReal(key, 0.0); }

bool plistDict::GetBoolean(const fw::String& key, bool deflt) {
  if (!Exists(key)) SetBoolean(key, deflt);
  const fw::String t = GetType(key);
  if (t != kBoolean) {
    SetError(true, "Type Mismatch: " + key + " is a " + t);
    return false;
  }
  return fw::TextEquals(values.Lookup(key, fw::String()), "true");
}

bool plistDict::GetBoolean(const fw::String& key) { return GetBoolean(key, true); }

std::optional<fw::Date> plistDict::GetDate(const fw::String& key, const fw::Date& deflt) {
  if (!Exists(key)) SetDate(key, deflt);
  if (!TypeOK(key)) return std::nullopt;
  fw::Date d;
  const fw::String s = GetValue(key);
  const std::int32_t p = fw::InStr(s, "T");
  fw::String datePart = s;
  fw::String timePart;
  if (p >= 1) {
    datePart = fw::Left(s, p - 1);
    timePart = fw::Right(s, fw::Len(s) - p);
    if (fw::Right(timePart, 1) == "Z") timePart = fw::Left(timePart, fw::Len(timePart) - 1);
  }
  const fw::String year = fw::NthField(datePart, "-", 1);
  const fw::String month = fw::NthField(datePart, "-", 2);
  const fw::String day = fw::NthField(datePart, "-", 3);
  if (!fw::ParseDate(month + "/" + day + "/" + year, d)) {
    SetError(true, "Could not create date object from " + key + "(" + s + ")");
    return d;
  }
  if (!timePart.empty()) {
    d.SetHour(fw::ToInt32(fw::CDbl(fw::NthField(timePart, ":", 1))));
    d.SetMinute(fw::ToInt32(fw::CDbl(fw::NthField(timePart, ":", 2))));
    d.SetSecond(fw::ToInt32(fw::CDbl(fw::NthField(timePart, ":", 3))));
  }
  return d;
}

std::optional<fw::Date> plistDict::GetDate(const fw::String& key) {
  return GetDate(key, fw::Date());
}
