#include "commandframe.h"

#include <QByteArrayList>

#include <cstdio>
#include <cstdlib>

namespace {

struct Decoded
{
    QByteArrayList commands; // each taken command encoded again
    bool broken = false;
    int left = 0;
};

// Feeds bytes in pieces of at most step bytes and takes every command as soon as it is complete.
Decoded decode(const QByteArray& bytes, int step)
{
    Decoded result;
    CommandFrame frames;
    frames.setMaxContentSize(1 << 20);
    Command command;
    for (int offset = 0; offset < bytes.size(); offset += step) {
        frames.append(bytes.mid(offset, step));
        while (frames.takeCommand(command))
            result.commands.append(CommandFrame::encode(command));
    }
    result.broken = frames.hasError();
    result.left = frames.bufferedSize();
    if (result.broken && frames.takeCommand(command)) {
        std::fprintf(stderr, "a broken stream gave another command\n");
        std::abort();
    }
    return result;
}

} // namespace

// Whole or in pieces, the same commands come out; each re-encodes to exactly the frame it came
// in, so the bytes taken and the bytes left add up.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    const Decoded whole = decode(bytes, qMax(1, bytes.size()));
    const Decoded pieces = decode(bytes, 7);
    const QByteArray reencoded = whole.commands.join();
    const int taken = reencoded.size();
    const bool sameCommands = whole.commands == pieces.commands && whole.broken == pieces.broken;
    if (!sameCommands || reencoded != bytes.left(taken) || (!whole.broken && taken + whole.left != bytes.size())) {
        std::fprintf(stderr, "frames: %d commands whole, %d in pieces, %d bytes taken, %d left of %d\n",
                     int(whole.commands.size()), int(pieces.commands.size()), taken, whole.left, int(bytes.size()));
        std::abort();
    }
    return 0;
}
