// OUTPUT: stores or deletes one record.
#pragma once

#include "host/environment.h"

namespace DataOmbraPlugin {

Int16 OutputToChannel(UInt32 channel, const ZR::UniString& recordId, const ZR::UniString& fieldId,
                      const ZR::Array<OmbraValueRecord>* values,
                      const ZR::Array<ZR::UniString>* strings);

}  // namespace DataOmbraPlugin
