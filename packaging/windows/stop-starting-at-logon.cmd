@echo off
rem Undoes start-at-logon.cmd. Nothing to undo is no failure.
setlocal
set "key=HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
reg query "%key%" /v fingerbridge >nul 2>&1
if errorlevel 1 (
    echo fingerbridge was not set to start at logon.
    exit /b 0
)
reg delete "%key%" /v fingerbridge /f >nul
if errorlevel 1 exit /b 1
echo fingerbridge no longer starts at logon.
