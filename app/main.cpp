#include <QApplication>

#include "app/ui/programentry.h"
#include "platform/prompt.h"
#include "platform/ui/chooser.h"
#include "platform/ui/messagebox.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);

    bw::MessageBoxPrompt messageBoxes;
    bw::setPrompt(&messageBoxes);
    bw::DialogChooser dialogs;
    bw::setChooser(&dialogs);

    return ProgramEntry();
}
