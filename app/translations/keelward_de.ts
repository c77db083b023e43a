<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>Localizable</name>
    <message>
        <location filename="../Localization.h" line="19"/>
        <source>OKButton</source>
        <translation>OK</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="20"/>
        <source>BootROMTooOldTitle</source>
        <translation>Sicherheitsmodi werden auf diesem Computer nicht unterstützt.</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="21"/>
        <source>BootROMTooOldExplanation</source>
        <translation>Das Boot-ROM dieses Computers kann den Start nicht mit einem Open-Firmware-Kennwort schützen. Keelward wird beendet.</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="22"/>
        <source>NonmatchingPasswordTitle</source>
        <translation>Die Kennwörter stimmen nicht überein.</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="23"/>
        <source>NonmatchingPasswordExplanation</source>
        <translation>Geben Sie in beide Felder dasselbe neue Kennwort ein und klicken Sie dann erneut auf „Sichern“. Es wurde nichts geändert.</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="24"/>
        <source>FailedToSaveTitle</source>
        <translation>Die Einstellungen konnten nicht gesichert werden.</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="25"/>
        <source>FailedToSaveExplanation</source>
        <translation>Die Firmware hat die Änderung nicht übernommen. Prüfen Sie, ob Sie die Firmware-Einstellungen ändern dürfen, und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="26"/>
        <source>PasswordTooShortTitle</source>
        <translation>Das Kennwort ist zu kurz.</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="27"/>
        <source>PasswordTooShortExplanation</source>
        <translation>Das Kennwort muss mindestens 2 Zeichen lang sein. Der Sicherheitsmodus wurde gesichert; geben Sie ein längeres Kennwort ein und klicken Sie erneut auf „Sichern“.</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="28"/>
        <source>PasswordInvalidTitle</source>
        <translation>Das Kennwort kann nicht verwendet werden.</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="29"/>
        <source>PasswordInvalidExplanation</source>
        <translation>Das Kennwort enthält ein Zeichen, das die Firmware nicht speichern kann: eine schließende eckige Klammer „]“ oder ein Zeichen außerhalb des Mac-OS-Roman-Zeichensatzes. Der Sicherheitsmodus wurde gesichert; wählen Sie ein anderes Kennwort und klicken Sie erneut auf „Sichern“.</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="30"/>
        <source>SaveSucceededTitle</source>
        <translation>Die Einstellungen wurden gesichert.</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="31"/>
        <source>SaveSucceededExplanation</source>
        <translation>Der neue Sicherheitsmodus und das Kennwort gelten ab dem nächsten Start dieses Computers.</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="32"/>
        <source>ErrorHasOccurredTitle</source>
        <translation>Ein Fehler ist aufgetreten (%d).</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="33"/>
        <source>AuthorityUnavailableTitle</source>
        <translation>Die Authentifizierung ist nicht verfügbar.</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="34"/>
        <source>AuthorityUnavailableExplanation</source>
        <translation>Der Autorisierungsdienst des Systems (polkit) ist nicht erreichbar, daher bleiben die Einstellungen gesperrt. Stellen Sie sicher, dass polkit läuft, und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="35"/>
        <source>LockedButtonText</source>
        <translation>Klicken Sie auf das Schloss, um Änderungen vorzunehmen.</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="36"/>
        <source>UnlockedButtonText</source>
        <translation>Klicken Sie auf das Schloss, um weitere Änderungen zu verhindern.</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="37"/>
        <source>LockedButtonAccessibleName</source>
        <translation>Einstellungen entsperren</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="38"/>
        <source>UnlockedButtonAccessibleName</source>
        <translation>Einstellungen sperren</translation>
    </message>
</context>
<context>
    <name>SecuritySettingsWindow</name>
    <message>
        <location filename="../SecuritySettingsWindow.ui" line="6"/>
        <location filename="../../build/default/app/keelward_window_autogen/include/ui_SecuritySettingsWindow.h" line="155"/>
        <source>WindowTitle</source>
        <translation>Firmware-Sicherheit</translation>
    </message>
    <message>
        <location filename="../SecuritySettingsWindow.ui" line="30"/>
        <location filename="../../build/default/app/keelward_window_autogen/include/ui_SecuritySettingsWindow.h" line="156"/>
        <source>IntroductionText</source>
        <translation>Open Firmware kann ein Kennwort verlangen, bevor dieser Computer von einem anderen Gerät startet oder Firmware-Befehle annimmt. Wählen Sie einen Sicherheitsmodus und legen Sie das Kennwort fest.</translation>
    </message>
    <message>
        <location filename="../SecuritySettingsWindow.ui" line="63"/>
        <location filename="../../build/default/app/keelward_window_autogen/include/ui_SecuritySettingsWindow.h" line="157"/>
        <source>SecurityModeLabel</source>
        <translation>Sicherheits&amp;modus:</translation>
    </message>
    <message>
        <location filename="../SecuritySettingsWindow.ui" line="74"/>
        <location filename="../../build/default/app/keelward_window_autogen/include/ui_SecuritySettingsWindow.h" line="158"/>
        <source>NoSecurityModeItem</source>
        <translation>Keiner – kein Kennwort beim Start</translation>
    </message>
    <message>
        <location filename="../SecuritySettingsWindow.ui" line="79"/>
        <location filename="../../build/default/app/keelward_window_autogen/include/ui_SecuritySettingsWindow.h" line="159"/>
        <source>DefaultDeviceOnlyModeItem</source>
        <translation>Befehle – Kennwort für andere Startgeräte</translation>
    </message>
    <message>
        <location filename="../SecuritySettingsWindow.ui" line="84"/>
        <location filename="../../build/default/app/keelward_window_autogen/include/ui_SecuritySettingsWindow.h" line="160"/>
        <source>FullSecurityModeItem</source>
        <translation>Vollständig – Kennwort bei jedem Start</translation>
    </message>
    <message>
        <location filename="../SecuritySettingsWindow.ui" line="92"/>
        <location filename="../../build/default/app/keelward_window_autogen/include/ui_SecuritySettingsWindow.h" line="162"/>
        <source>NewPasswordLabel</source>
        <translation>&amp;Neues Kennwort:</translation>
    </message>
    <message>
        <location filename="../SecuritySettingsWindow.ui" line="112"/>
        <location filename="../../build/default/app/keelward_window_autogen/include/ui_SecuritySettingsWindow.h" line="163"/>
        <source>VerifyPasswordLabel</source>
        <translation>Kennwort &amp;bestätigen:</translation>
    </message>
    <message>
        <location filename="../SecuritySettingsWindow.ui" line="159"/>
        <location filename="../../build/default/app/keelward_window_autogen/include/ui_SecuritySettingsWindow.h" line="164"/>
        <source>SaveButton</source>
        <translation>&amp;Sichern</translation>
    </message>
</context>
</TS>
