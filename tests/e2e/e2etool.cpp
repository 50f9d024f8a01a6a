// Helper of the end-to-end test: makes the job the program then opens, and
// reads a project back for the comparison afterwards.
//
//   bw_e2e_tool make <project.bwp> <file>...
//       A project naming the files, with two rules without confirmation
//       ("cat" -> "dog", and "one" -> "two") and one conversion step; then the
//       settings file of BRINDLEWICK_HOME written with that project as the
//       last one, opened at start-up.
//   bw_e2e_tool make --confirm <project.bwp> <file>...
//       The same with one rule ("cat" -> "dog") that asks before each change,
//       so that the processing window waits for an answer.
//   bw_e2e_tool dump <project.bwp>
//       The project's files, rules and scheme steps, one per line; exit code 1
//       when the project does not read whole.
//   bw_e2e_tool close <window id>
//       Asks the window to close as a window manager does (WM_DELETE_WINDOW
//       to the X display of DISPLAY); exit code 77 without X support.

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#ifdef BW_HAVE_XCB
#include <xcb/xcb.h>
#endif

#include "app/mainunit.h"
#include "app/projectjob.h"
#include "app/ui/fmain.h"
#include "app/ui/programentry.h"
#include "options/ui/foptions.h"
#include "platform/error.h"

namespace {

std::unique_ptr<TSRInfo> Rule(const char* search, const char* target, bool confirm = false) {
    auto r = std::make_unique<TSRInfo>();
    r->Source.ssText = QString::fromLatin1(search);
    r->Source.ssCLBCP = QStringLiteral("Win-1251");
    r->Target.tsText = QString::fromLatin1(target);
    r->Target.tbConfirmReplace = confirm;
    r->Target.tbShowHint = false;
    r->SearchActionType = ofatReplace;
    return r;
}

int Make(const QString& project, const QStringList& files, bool confirm) {
    TProjectJob job;
    job.Tree.AddFileList(files);
    if (confirm) {
        job.Rules.Append(true, Rule("cat", "dog", true));
    } else {
        job.Rules.Append(true, Rule("cat", "dog"));
        job.Rules.Append(true, Rule("one", "two"));
        job.Scheme.AddStep(3);
    }
    SaveProjectFile(project, job.Sections(), {});

    // The settings file as the program writes it, naming the project.
    InitializeMainUnit();
    {
        TProgram program;
        program.FMain->show();
        QApplication::processEvents();
        program.FMain->ELastProject->setText(project);
        program.FOptions->CBOpenLastProject->setChecked(true);
        program.FOptions->AOSaveExecute();
    }
    FinalizeMainUnit();
    return 0;
}

int Dump(const QString& project) {
    TProjectJob job;
    QFile file(project);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(project));
        return 1;
    }
    const TProjectReadResult result = ReadProject(file, job.Sections());
    QStringList files;
    job.Tree.GetFileList(files);
    for (const QString& f : files)
        std::printf("file %s\n", f.toUtf8().constData());
    for (int i = 0; i < job.Rules.Count(); ++i)
        std::printf("rule %d %s\n", job.Rules.Checked(i) ? 1 : 0, RuleToText(job.Rules.Rule(i)).c_str());
    for (int step : job.Scheme.Steps())
        std::printf("step %d\n", step);
    return result.Damaged() ? 1 : 0;
}

#ifdef BW_HAVE_XCB
int Close(const QString& window) {
    bool ok = false;
    const uint id = window.toUInt(&ok, 0);
    if (!ok)
        return 2;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "no X display\n");
        xcb_disconnect(c);
        return 1;
    }
    auto atom = [c](const char* name) {
        xcb_intern_atom_reply_t* r =
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(r);
        return a;
    };
    xcb_client_message_event_t m{};
    m.response_type = XCB_CLIENT_MESSAGE;
    m.format = 32;
    m.window = id;
    m.type = atom("WM_PROTOCOLS");
    m.data.data32[0] = atom("WM_DELETE_WINDOW");
    m.data.data32[1] = XCB_CURRENT_TIME;
    xcb_generic_error_t* error =
        xcb_request_check(c, xcb_send_event_checked(c, 0, id, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&m)));
    const int code = error ? error->error_code : 0;
    std::free(error);
    xcb_disconnect(c);
    if (code)
        std::fprintf(stderr, "the close request failed: X error %d\n", code);
    return code ? 1 : 0;
}
#else
int Close(const QString&) {
    std::fprintf(stderr, "built without X support\n");
    return 77;
}
#endif

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    try {
        if (args.size() >= 3 && args[0] == "make" && args[1] == "--confirm")
            return Make(args[2], args.mid(3), true);
        if (args.size() >= 2 && args[0] == "make")
            return Make(args[1], args.mid(2), false);
        if (args.size() == 2 && args[0] == "close")
            return Close(args[1]);
        if (args.size() == 2 && args[0] == "dump")
            return Dump(args[1]);
    } catch (const bw::Error& e) {
        std::fprintf(stderr, "%s\n", e.message().toUtf8().constData());
        return 1;
    }
    std::fprintf(stderr,
                 "usage: bw_e2e_tool make [--confirm] <project> <file>... | dump <project> | close <window id>\n");
    return 2;
}
