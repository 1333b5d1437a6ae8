// A poke into a user form: split into fields, each cut to a control's width
// as the form takes it. A cut never leaves half of a character.
#include "FuzzCheck.h"

#include "forms/UserFormDdeInput.h"
#include "store/SqlText.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const QByteArray poke(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const QString& field : velmar::forms::SplitPokedFields(poke)) {
        for (int width : {1, 2, 9, 19, 49, 254}) {
            const QString cut = velmar::store::CutToWidth(field, width);
            FUZZ_CHECK(field.startsWith(cut));
            FUZZ_CHECK(cut.isEmpty() || !cut.back().isHighSurrogate() || cut.size() == field.size());
            FUZZ_CHECK(cut.toUcs4().size() <= width);
        }
    }
    return 0;
}
