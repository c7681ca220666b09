// The dialogs of label sheets: a layout entered by hand, a printer's
// calibration, and the print preview.
#pragma once
#include "jobs/StoredLayouts.h"
#include "printing/Printers.h"
#include "printing/SheetLayout.h"
#include "services/Messages.h"
#include <QDialog>
#include <QImage>
#include <QRectF>
#include <functional>
#include <optional>
#include <vector>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace ui {

// "New Label Layout": the sheet's page, label size, columns and rows,
// pitch and margins, in mm or inches, saved under a name. Accepted only
// once the layout is saved; a layout that can't be printed is refused
// with the reason and the dialog stays open.
class LayoutDialog : public QDialog {
    Q_OBJECT
public:
    LayoutDialog(QWidget* parent, services::MessageSink& messages);
    // The layout as entered (sizes in mm).
    printing::SheetLayout Entered() const;
    QLineEdit* Name = nullptr;
    QComboBox* Page = nullptr; // A4, Letter, or the size typed
    QComboBox* Unit = nullptr; // mm or in
    QDoubleSpinBox *PageWidth = nullptr, *PageHeight = nullptr;
    QDoubleSpinBox *LabelWidth = nullptr, *LabelHeight = nullptr;
    QSpinBox *Columns = nullptr, *Rows = nullptr;
    QDoubleSpinBox *PitchX = nullptr, *PitchY = nullptr, *Left = nullptr, *Top = nullptr;

    // Saves the layout; a layout that can't be saved is refused with the
    // reason and the dialog stays open.
    void accept() override;

private:
    void unitChanged();
    services::MessageSink& messages_;
    bool inches_ = false;
};

// "Printer Calibration": the chosen printer's shift and scale, with a
// button that prints the calibration page to measure them on.
class CalibrationDialog : public QDialog {
    Q_OBJECT
public:
    CalibrationDialog(QWidget* parent, const QString& printer, const printing::Printers& printers,
                      services::MessageSink& messages);
    printing::Calibration Entered() const;
    QDoubleSpinBox *ShiftX = nullptr, *ShiftY = nullptr, *Scale = nullptr;

    // Checks and stores the calibration; one that can't be used is refused
    // with the reason and the dialog stays open.
    void accept() override;

private:
    void printPage();
    QString printer_;
    const printing::Printers& printers_;
    services::MessageSink& messages_;
};

// "Printer Setup": how the chosen printer is written to when it is a
// label printer: its language, darkness, speed, label size and resolution,
// stored by the printer's name. What is left empty is the printer's own.
class PrinterSetupDialog : public QDialog {
    Q_OBJECT
public:
    PrinterSetupDialog(QWidget* parent, const QString& printer, services::MessageSink& messages);
    jobs::LabelSetupText Entered() const;
    QComboBox* Language = nullptr; // first: none set (a queue without a driver gets ZPL)
    QLineEdit *Darkness = nullptr, *Speed = nullptr, *Media = nullptr, *Dpi = nullptr;

    // Checks and stores the setup; one that can't be used is refused with
    // the reason and the dialog stays open.
    void accept() override;

private:
    QString printer_;
    services::MessageSink& messages_;
};

// The pages of the next print as they will come out: the sheet, the
// printable area (dashed), the labels' outlines (drawn here only; they
// are not printed), and what the printer gets, page by page.
class PreviewDialog : public QDialog {
    Q_OBJECT
public:
    struct Pages {
        std::vector<QImage> images; // at `dpi`
        double dpi = 0;
        QRectF printableMm;
        std::optional<printing::SheetLayout> layout;
        QString note; // more to say (a run shown in part)
    };
    // `render(kind)` makes the pages of one of the choices "Print",
    // "Print File", "Run It", or says why there are none; `print(kind)`
    // prints them.
    PreviewDialog(QWidget* parent, int kind, std::function<core::Result<Pages>(int kind)> render,
                  std::function<void(int kind)> print);
    int PageCount() const { return static_cast<int>(pages_.images.size()); }
    QComboBox* Kind = nullptr;
    QLabel* PageLabel = nullptr;

private:
    void reload();
    void showPage(int page);
    std::function<core::Result<Pages>(int)> render_;
    Pages pages_;
    QString failure_; // why there are no pages
    int page_ = 0;
    QLabel* view_ = nullptr;
};

} // namespace ui
