#include "platform/message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "platform/ui_app.h"
#include "platform/ui_testing.h"

namespace ui {

namespace {

// A worker's wait for its box to be dismissed.
struct Answer {
    std::mutex lock;
    std::condition_variable given;
    bool done = false;

    void Give() {
        std::lock_guard guard(lock);
        done = true;
        given.notify_all();
    }
    void Wait() {
        std::unique_lock guard(lock);
        given.wait(guard, [this] { return done; });
    }
};

bool testMode = false;  // set once by StartTestUi, before any worker runs
std::atomic<bool> boxesEnded{false};
std::atomic<testing::WorkerBoxes> workerPolicy{testing::WorkerBoxes::kAnswerAtOnce};

std::mutex recordLock;
std::vector<testing::ShownBox> record;

// Open worker boxes, oldest first; user-interface thread only.
std::deque<QPointer<QMessageBox>> workerBoxes;

void Record(std::string_view text, std::string_view caption, bool fromWorker) {
    std::lock_guard guard(recordLock);
    record.push_back({std::string(caption), std::string(text), fromWorker});
}

QMessageBox* NewBox(std::string_view text, std::string_view caption) {
    auto* box = new QMessageBox(
        QMessageBox::NoIcon, QString::fromUtf8(caption.data(), static_cast<int>(caption.size())),
        QString::fromUtf8(text.data(), static_cast<int>(text.size())), QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    return box;
}

void ShowWorkerBox(std::string text, std::string caption, std::shared_ptr<Answer> answer) {
    if (boxesEnded) {
        answer->Give();
        return;
    }
    QMessageBox* box = NewBox(text, caption);
    box->setWindowModality(Qt::NonModal);
    QObject::connect(box, &QDialog::finished, [answer] { answer->Give(); });
    // A box closed by any road (OK, Escape, the window's close button) answers its worker.
    QObject::connect(box, &QObject::destroyed, [answer] { answer->Give(); });
    workerBoxes.push_back(box);
    box->show();
}

}  // namespace

void MessageBox(std::string_view text, std::string_view caption) {
    if (!UiStarted()) {
        std::string line(text);
        while (!line.empty() && line.back() == '\n') {
            line.pop_back();
        }
        std::fprintf(stderr, "%.*s: %s\n", static_cast<int>(caption.size()), caption.data(),
                     line.c_str());
        return;
    }
    const bool fromWorker = !OnUiThread();
    if (testMode) {
        Record(text, caption, fromWorker);
        if (!fromWorker || workerPolicy == testing::WorkerBoxes::kAnswerAtOnce) {
            return;
        }
    }
    if (!fromWorker) {
        QMessageBox* box = NewBox(text, caption);
        box->exec();
        return;
    }
    auto answer = std::make_shared<Answer>();
    PostToUi([text = std::string(text), caption = std::string(caption), answer] {
        ShowWorkerBox(text, caption, answer);
    });
    answer->Wait();
}

void EndWorkerBoxes() {
    boxesEnded = true;
    while (!workerBoxes.empty()) {
        QPointer<QMessageBox> box = workerBoxes.front();
        workerBoxes.pop_front();
        if (box) {
            box->done(QMessageBox::Ok);
        }
    }
}

namespace testing {

void RecordBoxes() {
    testMode = true;
}

std::vector<ShownBox> TakeShownBoxes() {
    std::lock_guard guard(recordLock);
    std::vector<ShownBox> taken;
    taken.swap(record);
    return taken;
}

void SetWorkerBoxes(WorkerBoxes policy) {
    workerPolicy = policy;
}

int OpenWorkerBoxCount() {
    std::erase_if(workerBoxes, [](const QPointer<QMessageBox>& box) { return box.isNull(); });
    return static_cast<int>(workerBoxes.size());
}

bool DismissOldestWorkerBox() {
    while (!workerBoxes.empty()) {
        QPointer<QMessageBox> box = workerBoxes.front();
        workerBoxes.pop_front();
        if (box) {
            box->button(QMessageBox::Ok)->click();
            return true;
        }
    }
    return false;
}

void ResetBoxes() {
    while (DismissOldestWorkerBox()) {
    }
    workerPolicy = WorkerBoxes::kAnswerAtOnce;
    boxesEnded = false;
    TakeShownBoxes();
}

}  // namespace testing

}  // namespace ui
