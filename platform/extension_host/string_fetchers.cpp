#include "platform/extension_host/string_fetchers.h"

void FetchFixedString(char* buffer, Int16 listId, Int16 index, ZRResModule module) {
    RSGetIndString(buffer, FetchBufferSize, ResTypeFixedStrings, listId, index, module);
}

void FetchMessageString(char* buffer, Int16 listId, Int16 index, ZRResModule module) {
    RSGetIndString(buffer, FetchBufferSize, ResTypeMessageStrings, listId, index, module);
}
