#include "app/FormServices.h"
#include "app/QtDialogs.h"
#include "app/TForm1.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    quill::QtDialogs dialogs;
    quill::FormServices services;
    services.dialogs = &dialogs;
    quill::TForm1 form(services);
    dialogs.setOwner(&form);
    form.show();
    return app.exec();
}
