// A file opened for reading whose waits end when the program is asked to
// stop (platform/Termination). A FIFO whose writer has not come yet, or
// writes slowly, would otherwise block the run inside open() or read(),
// where no signal can end it: here the file is opened without waiting and
// every wait for data is a short poll, after which the stop flag is checked
// and the pump it was given runs (the window processes its events).
//
// Only regular files and FIFOs are read. A device is refused: /dev/zero or
// /dev/urandom never end and hold no text.
#pragma once

#include "services/EventPump.h"

#include <QString>
#include <QtGlobal>

namespace services {

class InputFile {
public:
    enum class Result { Data, End, Failed, Stopped };

    explicit InputFile(EventPump whileWaiting = {}) : whileWaiting_(std::move(whileWaiting)) {}
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // False when the path can't be opened; Error() says why.
    bool Open(const QString& path);
    // Reads at most `max` bytes, waiting for them as long as it takes
    // unless a stop is requested. `got` is the count read for Data.
    Result Read(char* to, qint64 max, qint64& got);
    void Close();
    QString Error() const { return error_; }

private:
#ifdef Q_OS_WIN
    class QFile* file_ = nullptr;
#else
    int fd_ = -1;
#endif
    QString error_;
    EventPump whileWaiting_;
};

} // namespace services
