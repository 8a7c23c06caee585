@echo off
rem Plays Kazzmot in a 640x480 window that can be resized (kazzmot.exe alone
rem plays full screen). Escape ends it.
start "" "%~dp0kazzmot.exe" --window
