<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="en">
<context>
    <name>Localizable</name>
    <message>
        <source>OKButton</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>BootROMTooOldTitle</source>
        <translation>Security modes are not supported on this computer.</translation>
    </message>
    <message>
        <source>BootROMTooOldExplanation</source>
        <translation>The boot ROM of this computer cannot protect start-up with an Open Firmware password. Keelward will quit.</translation>
    </message>
    <message>
        <source>NonmatchingPasswordTitle</source>
        <translation>The passwords do not match.</translation>
    </message>
    <message>
        <source>NonmatchingPasswordExplanation</source>
        <translation>Type the same new password in both fields, then click Save again. Nothing has been changed.</translation>
    </message>
    <message>
        <source>FailedToSaveTitle</source>
        <translation>The settings could not be saved.</translation>
    </message>
    <message>
        <source>FailedToSaveExplanation</source>
        <translation>The firmware did not accept the change. Make sure you may change the firmware settings, then try again.</translation>
    </message>
    <message>
        <source>PasswordTooShortTitle</source>
        <translation>The password is too short.</translation>
    </message>
    <message>
        <source>PasswordTooShortExplanation</source>
        <translation>The password must be at least 2 characters long. The security mode has been saved; type a longer password and click Save again.</translation>
    </message>
    <message>
        <source>PasswordInvalidTitle</source>
        <translation>The password cannot be used.</translation>
    </message>
    <message>
        <source>PasswordInvalidExplanation</source>
        <translation>The password contains a character that the firmware cannot store: a closing bracket “]” or a character outside the Mac OS Roman set. The security mode has been saved; choose another password and click Save again.</translation>
    </message>
    <message>
        <source>SaveSucceededTitle</source>
        <translation>The settings have been saved.</translation>
    </message>
    <message>
        <source>SaveSucceededExplanation</source>
        <translation>The new security mode and password take effect the next time this computer starts up.</translation>
    </message>
    <message>
        <source>ErrorHasOccurredTitle</source>
        <translation>An error has occurred (%d).</translation>
    </message>
    <message>
        <source>AuthorityUnavailableTitle</source>
        <translation>Authentication is not available.</translation>
    </message>
    <message>
        <source>AuthorityUnavailableExplanation</source>
        <translation>The system’s authorization service (polkit) could not be reached, so the settings stay locked. Make sure polkit is running, then try again.</translation>
    </message>
    <message>
        <source>LockedButtonText</source>
        <translation>Click the lock to make changes.</translation>
    </message>
    <message>
        <source>UnlockedButtonText</source>
        <translation>Click the lock to prevent further changes.</translation>
    </message>
    <message>
        <source>LockedButtonAccessibleName</source>
        <translation>Unlock the settings</translation>
    </message>
    <message>
        <source>UnlockedButtonAccessibleName</source>
        <translation>Lock the settings</translation>
    </message>
</context>
<context>
    <name>SecuritySettingsWindow</name>
    <message>
        <source>WindowTitle</source>
        <translation>Firmware Security</translation>
    </message>
    <message>
        <source>IntroductionText</source>
        <translation>Open Firmware can ask for a password before this computer starts up from another device or accepts firmware commands. Choose a security mode and set the password.</translation>
    </message>
    <message>
        <source>SecurityModeLabel</source>
        <translation>Security &amp;mode:</translation>
    </message>
    <message>
        <source>NoSecurityModeItem</source>
        <translation>None – no password at start-up</translation>
    </message>
    <message>
        <source>DefaultDeviceOnlyModeItem</source>
        <translation>Command – password for other start-up devices</translation>
    </message>
    <message>
        <source>FullSecurityModeItem</source>
        <translation>Full – password at every start-up</translation>
    </message>
    <message>
        <source>NewPasswordLabel</source>
        <translation>&amp;New password:</translation>
    </message>
    <message>
        <source>VerifyPasswordLabel</source>
        <translation>&amp;Verify password:</translation>
    </message>
    <message>
        <source>SaveButton</source>
        <translation>&amp;Save</translation>
    </message>
</context>
</TS>
