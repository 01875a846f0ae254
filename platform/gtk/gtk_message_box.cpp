#include "platform/gtk/gtk_message_box.h"

#include <vector>

#include "platform/gtk/gtk_text.h"
#include "platform/messages.h"

namespace platform {

namespace {

struct BoxButton {
    const char* label;  // GTK's own mnemonic labels, which it translates
    int id;
};

std::vector<BoxButton> buttonsFor(UINT type) {
    const BoxButton ok{"_OK", IDOK}, cancel{"_Cancel", IDCANCEL}, yes{"_Yes", IDYES},
        no{"_No", IDNO}, retry{"_Retry", IDRETRY};
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL:
            return {ok, cancel};
        case MB_YESNOCANCEL:
            return {yes, no, cancel};
        case MB_YESNO:
            return {yes, no};
        case MB_RETRYCANCEL:
            return {retry, cancel};
        default:
            return {ok};
    }
}

GtkMessageType iconFor(UINT type) {
    switch (type & 0xF0) {
        case MB_ICONERROR:
            return GTK_MESSAGE_ERROR;
        case MB_ICONQUESTION:
            return GTK_MESSAGE_QUESTION;
        case MB_ICONWARNING:
            return GTK_MESSAGE_WARNING;
        case MB_ICONINFORMATION:
            return GTK_MESSAGE_INFO;
        default:
            return GTK_MESSAGE_OTHER;
    }
}

// What closing the box (Escape, the close button) answers: Cancel where there is one, OK for a
// lone OK button; 0 where the box cannot be closed that way (Yes/No).
int closeAnswer(const std::vector<BoxButton>& buttons) {
    for (const auto& button : buttons)
        if (button.id == IDCANCEL) return IDCANCEL;
    return buttons.size() == 1 ? IDOK : 0;
}

struct BoxState {
    int closeAnswer = 0;
    int answer = 0;
};

void onResponse(GtkDialog*, gint response, gpointer data) {
    auto& state = *static_cast<BoxState*>(data);
    state.answer = response > 0 ? response : state.closeAnswer;
    // The loop waits in the message queue; a null message lets it look at the answer.
    if (state.answer != 0) ThreadQueue::current().post(MSG{});
}

GtkWidget* makeDialog(GtkWindow* owner, const std::string& text, const std::string& caption,
                      UINT type, const std::vector<BoxButton>& buttons) {
    GtkWidget* dialog = gtk_message_dialog_new(owner, GTK_DIALOG_MODAL, iconFor(type),
                                               GTK_BUTTONS_NONE, "%s", validUtf8(text).c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), validUtf8(caption).c_str());
    for (const auto& button : buttons)
        gtk_dialog_add_button(GTK_DIALOG(dialog), button.label, button.id);
    // The first button is the default one, as in a box without MB_DEFBUTTONn.
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), buttons.front().id);
    gtk_window_set_deletable(GTK_WINDOW(dialog), closeAnswer(buttons) != 0);
    if (type & MB_SYSTEMMODAL) gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
    return dialog;
}

}  // namespace

int runMessageBox(GtkWindow* owner, const std::string& text, const std::string& caption,
                  UINT type) {
    const auto buttons = buttonsFor(type);
    BoxState state{closeAnswer(buttons), 0};
    GtkWidget* dialog = makeDialog(owner, text, caption, type, buttons);
    g_signal_connect(dialog, "response", G_CALLBACK(onResponse), &state);
    // A dialog destroys itself on delete once it has answered; the box is destroyed here.
    g_signal_connect(dialog, "delete-event", G_CALLBACK(gtk_true), nullptr);
    gtk_window_present(GTK_WINDOW(dialog));
    MSG msg;
    while (state.answer == 0) {
        if (!getMessage(msg)) {
            postQuitMessage(static_cast<int>(msg.wParam));
            state.answer = state.closeAnswer != 0 ? state.closeAnswer : buttons.back().id;
            break;
        }
        dispatchMessage(msg);
    }
    g_signal_handlers_disconnect_by_data(dialog, &state);
    gtk_widget_destroy(dialog);
    return state.answer;
}

}  // namespace platform
