#include "framework/core/Variant.h"

#include "framework/core/Number.h"
#include "framework/core/Text.h"

namespace fw {

String Variant::StringValue() const { return isText_ ? text_ : Str(number_); }

double Variant::DoubleValue() const { return isText_ ? CDbl(text_) : number_; }

std::int32_t Variant::Int32Value() const { return ToInt32(DoubleValue()); }

bool IsNumeric(const Variant& v) { return !v.IsText() || IsNumeric(v.StringValue()); }

}  // namespace fw
