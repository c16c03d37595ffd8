// The saved-game reader on arbitrary bytes. Whatever it accepts must be a
// game it can put in place, and writing that game again must give the same
// bytes back; whatever it refuses must leave the game in memory untouched.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "game/SaveGame.h"

namespace {

void Check(bool condition) {
    if (!condition) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static game::Rules *rules = [] {
        game::Rules *r = new game::Rules;
        r->Setup();
        return r;
    }();
    game::SlotReader reader;
    std::string before;
    game::WriteSlot(*rules, game::SavedExtras(), game::SlotHeader(), &before);
    if (!reader.Read(data, size)) {
        Check(!reader.Apply(rules));
        std::string after;
        game::WriteSlot(*rules, game::SavedExtras(), game::SlotHeader(), &after);
        Check(after == before);
        return 0;
    }
    Check(reader.Apply(rules));
    std::string again;
    game::WriteSlot(*rules, reader.Extras(), reader.Header(), &again);
    Check(again == std::string(reinterpret_cast<const char *>(data), size));
    game::Camera camera;
    reader.ApplyCamera(&camera);
    return 0;
}
