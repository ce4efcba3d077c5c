// bootstrap: carries the installer, cook and the book in a payload after its own image,
// writes them into the KIT folder under the temporary folder and starts the installer there.
#include "bootstrap/launch.h"
#include "bootstrap/payload_tables.h"
#include "bootstrap/ui/CBootstrapDlg.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    bootstrap::CBootstrapDlg dialog({bootstrap::PayloadNames, bootstrap::PayloadSizes},
                                    bootstrap::OwnProgramPath());
    dialog.exec();
    return 0;
}
