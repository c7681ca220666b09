// A job painted on pictures, one a page: white, grey once painted, at the
// printer's resolution. A label printer turns each into its language; the
// preview keeps them.
#pragma once

#include "printing/PaintingTarget.h"

#include <QImage>

namespace printing {

class PictureJob : public JobDevice {
public:
    QPaintDevice* Device() final { return &picture_; }
    double Dpi() const final { return dpi_; }
    core::Status NextPage(QPainter& painter) final;
    core::Result<JobDone> Finish(QPainter& painter) final;

protected:
    // Pages of `dots`, `dpi` dots an inch.
    PictureJob(QSize dots, double dpi);

    // Takes a page painted whole, in grey; a failure ends the job.
    virtual core::Status TakePage(QImage page) = 0;
    // Sends the job once its last page was taken.
    virtual core::Result<JobDone> Send() = 0;

private:
    void newPicture();

    QSize dots_;
    double dpi_;
    QImage picture_;
};

} // namespace printing
