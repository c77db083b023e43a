<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="en">
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
        <translation>Security modes are not supported on this computer.</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="21"/>
        <source>BootROMTooOldExplanation</source>
        <translation>The boot ROM of this computer cannot protect start-up with an Open Firmware password. Keelward will quit.</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="22"/>
        <source>NonmatchingPasswordTitle</source>
        <translation>The passwords do not match.</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="23"/>
        <source>NonmatchingPasswordExplanation</source>
        <translation>Type the same new password in both fields, then click Save again. Nothing has been changed.</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="24"/>
        <source>FailedToSaveTitle</source>
        <translation>The settings could not be saved.</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="25"/>
        <source>FailedToSaveExplanation</source>
        <translation>The firmware did not accept the change. Make sure you may change the firmware settings, then try again.</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="26"/>
        <source>PasswordTooShortTitle</source>
        <translation>The password is too short.</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="27"/>
        <source>PasswordTooShortExplanation</source>
        <translation>The password must be at least 2 characters long. The security mode has been saved; type a longer password and click Save again.</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="28"/>
        <source>PasswordInvalidTitle</source>
        <translation>The password cannot be used.</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="29"/>
        <source>PasswordInvalidExplanation</source>
        <translation>The password contains a character that the firmware cannot store: a closing bracket “]” or a character outside the Mac OS Roman set. The security mode has been saved; choose another password and click Save again.</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="30"/>
        <source>SaveSucceededTitle</source>
        <translation>The settings have been saved.</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="31"/>
        <source>SaveSucceededExplanation</source>
        <translation>The new security mode and password take effect the next time this computer starts up.</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="32"/>
        <source>ErrorHasOccurredTitle</source>
        <translation>An error has occurred (%d).</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="33"/>
        <source>AuthorityUnavailableTitle</source>
        <translation>Authentication is not available.</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="34"/>
        <source>AuthorityUnavailableExplanation</source>
        <translation>The system’s authorization service (polkit) could not be reached, so the settings stay locked. Make sure polkit is running, then try again.</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="35"/>
        <source>LockedButtonText</source>
        <translation>Click the lock to make changes.</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="36"/>
        <source>UnlockedButtonText</source>
        <translation>Click the lock to prevent further changes.</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="37"/>
        <source>LockedButtonAccessibleName</source>
        <translation>Unlock the settings</translation>
    </message>
    <message>
        <location filename="../Localization.h" line="38"/>
        <source>UnlockedButtonAccessibleName</source>
        <translation>Lock the settings</translation>
    </message>
</context>
<context>
    <name>SecuritySettingsWindow</name>
    <message>
        <location filename="../SecuritySettingsWindow.ui" line="6"/>
        <location filename="../../build/default/app/keelward_window_autogen/include/ui_SecuritySettingsWindow.h" line="155"/>
        <source>WindowTitle</source>
        <translation>Firmware Security</translation>
    </message>
    <message>
        <location filename="../SecuritySettingsWindow.ui" line="30"/>
        <location filename="../../build/default/app/keelward_window_autogen/include/ui_SecuritySettingsWindow.h" line="156"/>
        <source>IntroductionText</source>
        <translation>Open Firmware can ask for a password before this computer starts up from another device or accepts firmware commands. Choose a security mode and set the password.</translation>
    </message>
    <message>
        <location filename="../SecuritySettingsWindow.ui" line="63"/>
        <location filename="../../build/default/app/keelward_window_autogen/include/ui_SecuritySettingsWindow.h" line="157"/>
        <source>SecurityModeLabel</source>
        <translation>Security &amp;mode:</translation>
    </message>
    <message>
        <location filename="../SecuritySettingsWindow.ui" line="74"/>
        <location filename="../../build/default/app/keelward_window_autogen/include/ui_SecuritySettingsWindow.h" line="158"/>
        <source>NoSecurityModeItem</source>
        <translation>None – no password at start-up</translation>
    </message>
    <message>
        <location filename="../SecuritySettingsWindow.ui" line="79"/>
        <location filename="../../build/default/app/keelward_window_autogen/include/ui_SecuritySettingsWindow.h" line="159"/>
        <source>DefaultDeviceOnlyModeItem</source>
        <translation>Command – password for other start-up devices</translation>
    </message>
    <message>
        <location filename="../SecuritySettingsWindow.ui" line="84"/>
        <location filename="../../build/default/app/keelward_window_autogen/include/ui_SecuritySettingsWindow.h" line="160"/>
        <source>FullSecurityModeItem</source>
        <translation>Full – password at every start-up</translation>
    </message>
    <message>
        <location filename="../SecuritySettingsWindow.ui" line="92"/>
        <location filename="../../build/default/app/keelward_window_autogen/include/ui_SecuritySettingsWindow.h" line="162"/>
        <source>NewPasswordLabel</source>
        <translation>&amp;New password:</translation>
    </message>
    <message>
        <location filename="../SecuritySettingsWindow.ui" line="112"/>
        <location filename="../../build/default/app/keelward_window_autogen/include/ui_SecuritySettingsWindow.h" line="163"/>
        <source>VerifyPasswordLabel</source>
        <translation>&amp;Verify password:</translation>
    </message>
    <message>
        <location filename="../SecuritySettingsWindow.ui" line="159"/>
        <location filename="../../build/default/app/keelward_window_autogen/include/ui_SecuritySettingsWindow.h" line="164"/>
        <source>SaveButton</source>
        <translation>&amp;Save</translation>
    </message>
</context>
</TS>
