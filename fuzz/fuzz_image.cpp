// Feeds arbitrary bytes to the table-image reader, with and without a partial open.
// Whatever loads must write back into an image that loads again with the same counts.
#include "storage/DorodCursor.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (bool partial : {false, true}) {
        dorod::TDorodCursor store;
        store.PartialOpen = partial;
        dorod::TDorodStream stream;
        stream.bytes.assign(reinterpret_cast<const char*>(data), size);
        std::string message;
        if (!store.LoadFromStream(stream, message)) {
            if (store.FieldCount() != 0 || store.EntryCount() != 0) std::abort();
            continue;
        }
        dorod::TDorodStream written;
        store.WriteImage(written);
        dorod::TDorodCursor again;
        written.position = 0;
        std::string secondMessage;
        if (!again.LoadFromStream(written, secondMessage) || !secondMessage.empty()) std::abort();
        if (again.FieldCount() != store.FieldCount() ||
            again.LiveRecordCount() != store.LiveRecordCount() || again.Notes() != store.Notes())
            std::abort();
    }
    return 0;
}
