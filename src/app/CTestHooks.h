#pragma once

class CTessellaApp;
class QString;

// Lets a test that starts the workbench as a process of its own act as a user would, through
// the environment (the workbench has no other input a process can reach without a display):
// - TESSELLA_TEST_RECOVERY_ANSWER=restore|discard: prints each document that the recovery
//   offer lists ("tessella: recovery offer ...") and a last line with their number
//   ("tessella: recovery offered N"), then presses that button for each of them.
// - TESSELLA_TEST_TYPE=text: then types the text into the active document's editor as key
//   presses; a line feed presses Return.
// Without them nothing happens.
class CTestHooks
{
public:
    static void Run(CTessellaApp& app);

private:
    static void AnswerRecoveryOffer(CTessellaApp& app, const QString& answer);
    static void Type(CTessellaApp& app, const QString& text);
};
