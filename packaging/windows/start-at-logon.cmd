@echo off
rem Makes Windows start fingerbridge.exe from this folder, minimised, at each logon of this
rem user, with this script's arguments: start-at-logon.cmd --origin https://app.example
setlocal DisableDelayedExpansion
rem A trailing backslash would escape the closing quote after it.
set "bin=%~dp0"
set "bin=%bin:~0,-1%"
set "arguments=%*"
rem The Run value with _ for its quotes, to be measured: inside %...% a quote would
rem let a & or ( of the folder name loose.
set "measure=cmd.exe /c start __ /min /d _%bin%_ _%bin%\fingerbridge.exe_"
set "escaped="
if not defined arguments goto measured
set "measure=%measure% %arguments:"=_%"
rem Inside its quoted /d, reg.exe takes \" for a quote.
set "escaped= %arguments:"=\"%"
set "arguments= %arguments%"
:measured
if not "%measure:~260%"=="" (
    echo Nothing changed: the command line would be longer than the 260 characters Windows runs at logon.
    exit /b 1
)
rem !...! is expanded after the line is parsed, so & ( ) ^ in the values stay text.
setlocal EnableDelayedExpansion
set "command=cmd.exe /c start "" /min /d "!bin!" "!bin!\fingerbridge.exe"!arguments!"
set "data=cmd.exe /c start \"\" /min /d \"!bin!\" \"!bin!\fingerbridge.exe\"!escaped!"
reg add "HKCU\Software\Microsoft\Windows\CurrentVersion\Run" /v fingerbridge /t REG_SZ /d "!data!" /f >nul
if errorlevel 1 exit /b 1
echo At each logon Windows now runs: !command!
echo To start fingerbridge now, double-click fingerbridge.exe in !bin!, or sign out and in again.
