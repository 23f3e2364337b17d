// Alerts: the alert resource of the active resource module, presented through the answer source.
#include "host/dialog.h"
#include "host/environment.h"
#include "platform/dialog/alert_resource.h"
#include "platform/dialog/answer_source.h"

namespace {

using DG::Detail::AlertResource;

// The alert's texts as the terminal shows them: title, messages, numbered buttons.
std::string AlertBody(const AlertResource& alert) {
    std::string body = "== " + alert.title + " ==\n" + alert.message + "\n";
    if (!alert.secondMessage.empty()) body += alert.secondMessage + "\n";
    for (size_t i = 0; i < alert.buttons.size(); ++i) {
        if (!alert.buttons[i].empty())
            body += "  " + std::to_string(i + 1) + ") " + alert.buttons[i] + "\n";
    }
    return body;
}

// Asks until an answer names a button; 0 when the answers run out.
Int16 AskForButton(const AlertResource& alert) {
    while (true) {
        std::optional<std::string> answer = DG::Detail::NextAnswer("Choose a button: ");
        if (!answer) return 0;
        Int16 button = DG::Detail::ButtonForAnswer(alert, *answer);
        if (button != 0) return button;
    }
}

}  // namespace

Int16 DGResAlertParam(ZRResID alertId, const char* param1, const char* param2, const char* param3,
                      const char* param4) {
    USize size = 0;
    const char* data = RSLoadResource(ResTypeAlert, alertId, RSGetActiveModule(), &size);
    AlertResource alert;
    if (!DG::Detail::ParseAlertResource(data, size, alert)) return 0;

    std::vector<std::string> parameters;
    for (const char* param : {param1, param2, param3, param4})
        if (param != nullptr) parameters.emplace_back(param);
    size_t next = 0;
    alert.message = DG::Detail::SubstituteParameters(alert.message, parameters, next);
    alert.secondMessage = DG::Detail::SubstituteParameters(alert.secondMessage, parameters, next);

    DG::Detail::RecordShown(DG::ShownDialog::Alert, alert.message);
    // The alert's texts and parameters are in the default code page; the terminal takes UTF-8.
    const std::string body = AlertBody(alert);
    DG::Detail::ShowOnTerminal(ZR::UniString(body.c_str(), CC_Default).ToCStr(CC_UTF8).Get());
    return AskForButton(alert);
}
