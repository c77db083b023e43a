<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>Localizable</name>
    <message>
        <source>OKButton</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>BootROMTooOldTitle</source>
        <translation>Sicherheitsmodi werden auf diesem Computer nicht unterstützt.</translation>
    </message>
    <message>
        <source>BootROMTooOldExplanation</source>
        <translation>Das Boot-ROM dieses Computers kann den Start nicht mit einem Open-Firmware-Kennwort schützen. Keelward wird beendet.</translation>
    </message>
    <message>
        <source>NonmatchingPasswordTitle</source>
        <translation>Die Kennwörter stimmen nicht überein.</translation>
    </message>
    <message>
        <source>NonmatchingPasswordExplanation</source>
        <translation>Geben Sie in beide Felder dasselbe neue Kennwort ein und klicken Sie dann erneut auf „Sichern“. Es wurde nichts geändert.</translation>
    </message>
    <message>
        <source>FailedToSaveTitle</source>
        <translation>Die Einstellungen konnten nicht gesichert werden.</translation>
    </message>
    <message>
        <source>FailedToSaveExplanation</source>
        <translation>Die Firmware hat die Änderung nicht übernommen. Prüfen Sie, ob Sie die Firmware-Einstellungen ändern dürfen, und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>PasswordTooShortTitle</source>
        <translation>Das Kennwort ist zu kurz.</translation>
    </message>
    <message>
        <source>PasswordTooShortExplanation</source>
        <translation>Das Kennwort muss mindestens 2 Zeichen lang sein. Der Sicherheitsmodus wurde gesichert; geben Sie ein längeres Kennwort ein und klicken Sie erneut auf „Sichern“.</translation>
    </message>
    <message>
        <source>PasswordInvalidTitle</source>
        <translation>Das Kennwort kann nicht verwendet werden.</translation>
    </message>
    <message>
        <source>PasswordInvalidExplanation</source>
        <translation>Das Kennwort enthält ein Zeichen, das die Firmware nicht speichern kann: eine schließende eckige Klammer „]“ oder ein Zeichen außerhalb des Mac-OS-Roman-Zeichensatzes. Der Sicherheitsmodus wurde gesichert; wählen Sie ein anderes Kennwort und klicken Sie erneut auf „Sichern“.</translation>
    </message>
    <message>
        <source>SaveSucceededTitle</source>
        <translation>Die Einstellungen wurden gesichert.</translation>
    </message>
    <message>
        <source>SaveSucceededExplanation</source>
        <translation>Der neue Sicherheitsmodus und das Kennwort gelten ab dem nächsten Start dieses Computers.</translation>
    </message>
    <message>
        <source>ErrorHasOccurredTitle</source>
        <translation>Ein Fehler ist aufgetreten (%d).</translation>
    </message>
    <message>
        <source>AuthorityUnavailableTitle</source>
        <translation>Die Authentifizierung ist nicht verfügbar.</translation>
    </message>
    <message>
        <source>AuthorityUnavailableExplanation</source>
        <translation>Der Autorisierungsdienst des Systems (polkit) ist nicht erreichbar, daher bleiben die Einstellungen gesperrt. Stellen Sie sicher, dass polkit läuft, und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>LockedButtonText</source>
        <translation>Klicken Sie auf das Schloss, um Änderungen vorzunehmen.</translation>
    </message>
    <message>
        <source>UnlockedButtonText</source>
        <translation>Klicken Sie auf das Schloss, um weitere Änderungen zu verhindern.</translation>
    </message>
    <message>
        <source>LockedButtonAccessibleName</source>
        <translation>Einstellungen entsperren</translation>
    </message>
    <message>
        <source>UnlockedButtonAccessibleName</source>
        <translation>Einstellungen sperren</translation>
    </message>
</context>
<context>
    <name>SecuritySettingsWindow</name>
    <message>
        <source>WindowTitle</source>
        <translation>Firmware-Sicherheit</translation>
    </message>
    <message>
        <source>IntroductionText</source>
        <translation>Open Firmware kann ein Kennwort verlangen, bevor dieser Computer von einem anderen Gerät startet oder Firmware-Befehle annimmt. Wählen Sie einen Sicherheitsmodus und legen Sie das Kennwort fest.</translation>
    </message>
    <message>
        <source>SecurityModeLabel</source>
        <translation>Sicherheits&amp;modus:</translation>
    </message>
    <message>
        <source>NoSecurityModeItem</source>
        <translation>Keiner – kein Kennwort beim Start</translation>
    </message>
    <message>
        <source>DefaultDeviceOnlyModeItem</source>
        <translation>Befehle – Kennwort für andere Startgeräte</translation>
    </message>
    <message>
        <source>FullSecurityModeItem</source>
        <translation>Vollständig – Kennwort bei jedem Start</translation>
    </message>
    <message>
        <source>NewPasswordLabel</source>
        <translation>&amp;Neues Kennwort:</translation>
    </message>
    <message>
        <source>VerifyPasswordLabel</source>
        <translation>Kennwort &amp;bestätigen:</translation>
    </message>
    <message>
        <source>SaveButton</source>
        <translation>&amp;Sichern</translation>
    </message>
</context>
</TS>
