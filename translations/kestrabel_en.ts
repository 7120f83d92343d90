<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_TW">
<context>
    <name>Files</name>
    <message>
        <source>Not a file</source>
        <translation>Not a file</translation>
    </message>
</context>
<context>
    <name>FindDialog</name>
    <message>
        <source>尋找</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>尋找目標:</source>
        <translation>Find what:</translation>
    </message>
    <message>
        <source>全字拼寫須相符</source>
        <translation>Match whole word only</translation>
    </message>
    <message>
        <source>大小寫須相符</source>
        <translation>Match case</translation>
    </message>
    <message>
        <source>方向</source>
        <translation>Direction</translation>
    </message>
    <message>
        <source>向上</source>
        <translation>Up</translation>
    </message>
    <message>
        <source>向下</source>
        <translation>Down</translation>
    </message>
    <message>
        <source>找下一個</source>
        <translation>Find Next</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>IniFile</name>
    <message>
        <source>Unable to write to %1</source>
        <translation>Unable to write to %1</translation>
    </message>
</context>
<context>
    <name>KestrabelApplication</name>
    <message>
        <source>unknown error</source>
        <translation>unknown error</translation>
    </message>
</context>
<context>
    <name>LastError</name>
    <message>
        <source>Unknown error</source>
        <translation>Unknown error</translation>
    </message>
</context>
<context>
    <name>Process</name>
    <message>
        <source>No program to start.</source>
        <translation>No program to start.</translation>
    </message>
    <message>
        <source>The file %1 does not exist.</source>
        <translation>The file %1 does not exist.</translation>
    </message>
    <message>
        <source>The desktop entry %1 has no usable command.</source>
        <translation>The desktop entry %1 has no usable command.</translation>
    </message>
    <message>
        <source>No application is associated with %1 (%2).</source>
        <translation>No application is associated with %1 (%2).</translation>
    </message>
    <message>
        <source>unknown type</source>
        <translation>unknown type</translation>
    </message>
</context>
<context>
    <name>ProjectLaunch</name>
    <message>
        <source>The file manager&apos;s command-line option has an unmatched double quote:</source>
        <translation>The file manager&apos;s command-line option has an unmatched double quote:</translation>
    </message>
    <message>
        <source>Enter path to delphi32.exe</source>
        <translation>Enter path to delphi32.exe</translation>
    </message>
    <message>
        <source>Can&apos;t find the Delphi executable. Please enter path:</source>
        <translation>Can&apos;t find the Delphi executable. Please enter path:</translation>
    </message>
    <message>
        <source>Please try again.</source>
        <translation>Please try again.</translation>
    </message>
    <message>
        <source>Wrong path</source>
        <translation>Wrong path</translation>
    </message>
    <message>
        <source>Can&apos;t find %1</source>
        <translation>Can&apos;t find %1</translation>
    </message>
    <message>
        <source>Unsuccessful</source>
        <translation>Unsuccessful</translation>
    </message>
    <message>
        <source>Please rescan your Delphi projects.</source>
        <translation>Please rescan your Delphi projects.</translation>
    </message>
    <message>
        <source>Folder not found</source>
        <translation>Folder not found</translation>
    </message>
    <message>
        <source>Can&apos;t find filemanager:</source>
        <translation>Can&apos;t find filemanager:</translation>
    </message>
</context>
<context>
    <name>ProjectUpdate</name>
    <message>
        <source>Can&apos;t find folder:</source>
        <translation>Can&apos;t find folder:</translation>
    </message>
    <message>
        <source>No project found in folder.</source>
        <translation>No project found in folder.</translation>
    </message>
</context>
<context>
    <name>ScanRun</name>
    <message>
        <source> Scanning completed (%1 projects excluded - see options)</source>
        <translation> Scanning completed (%1 projects excluded - see options)</translation>
    </message>
    <message>
        <source> Scanning stopped (%1 projects found)</source>
        <translation> Scanning stopped (%1 projects found)</translation>
    </message>
</context>
<context>
    <name>TForm1</name>
    <message>
        <source>設定目錄</source>
        <translation>Set root</translation>
    </message>
    <message>
        <source> 設定目錄</source>
        <translation> Set the root folder</translation>
    </message>
    <message>
        <source>掃描</source>
        <translation>Scan</translation>
    </message>
    <message>
        <source> 掃描 Delphi 專案</source>
        <translation> Scan for Delphi projects</translation>
    </message>
    <message>
        <source>選項</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>執行專案</source>
        <translation>Run project</translation>
    </message>
    <message>
        <source>執行 exe</source>
        <translation>Run exe</translation>
    </message>
    <message>
        <source> 執行 exe 檔案</source>
        <translation> Run the exe file</translation>
    </message>
    <message>
        <source>開啟資料夾</source>
        <translation>Open folder</translation>
    </message>
    <message>
        <source>開啟專案資料夾</source>
        <translation>Open the project folder</translation>
    </message>
    <message>
        <source>檢視檔案</source>
        <translation>View file</translation>
    </message>
    <message>
        <source>檢視所選檔案(filelist)(F3)</source>
        <translation>View the selected file (file list) (F3)</translation>
    </message>
    <message>
        <source>應用</source>
        <translation>Application</translation>
    </message>
    <message>
        <source>Exe</source>
        <translation>Exe</translation>
    </message>
    <message>
        <source>專案路徑</source>
        <translation>Project path</translation>
    </message>
    <message>
        <source>應用(熱門列表)</source>
        <translation>Application (hotlist)</translation>
    </message>
    <message>
        <source>檔案名稱</source>
        <translation>File name</translation>
    </message>
    <message>
        <source>大小(kb)</source>
        <translation>Size (kb)</translation>
    </message>
    <message>
        <source>&amp;Restore</source>
        <translation>&amp;Restore</translation>
    </message>
    <message>
        <source>&amp;Minimize</source>
        <translation>&amp;Minimize</translation>
    </message>
    <message>
        <source>Ma&amp;ximize</source>
        <translation>Ma&amp;ximize</translation>
    </message>
    <message>
        <source>&amp;Close	Alt+F4</source>
        <translation>&amp;Close	Alt+F4</translation>
    </message>
    <message>
        <source>Maximi&amp;ze</source>
        <translation>Maximi&amp;ze</translation>
    </message>
    <message>
        <source>&amp;About ...</source>
        <translation>&amp;About ...</translation>
    </message>
    <message>
        <source>&amp;Help	F1</source>
        <translation>&amp;Help	F1</translation>
    </message>
    <message>
        <source>E&amp;xit	Esc</source>
        <translation>E&amp;xit	Esc</translation>
    </message>
    <message>
        <source> Loaded saved list</source>
        <translation> Loaded saved list</translation>
    </message>
    <message>
        <source> prjcts</source>
        <translation> prjcts</translation>
    </message>
    <message>
        <source> [root: %1]</source>
        <translation> [root: %1]</translation>
    </message>
    <message>
        <source>Can&apos;t find folder:</source>
        <translation>Can&apos;t find folder:</translation>
    </message>
    <message>
        <source>執行 Exe</source>
        <translation>Run exe</translation>
    </message>
    <message>
        <source>更新項目</source>
        <translation>Update entry</translation>
    </message>
    <message>
        <source>增加到熱門列表</source>
        <translation>Add to hotlist</translation>
    </message>
    <message>
        <source>刪除項目</source>
        <translation>Delete entry</translation>
    </message>
    <message>
        <source>Can&apos;t open the help file:</source>
        <translation>Can&apos;t open the help file:</translation>
    </message>
    <message>
        <source>Filename (main list)</source>
        <translation>Filename (main list)</translation>
    </message>
    <message>
        <source>Filename (hotlist)</source>
        <translation>Filename (hotlist)</translation>
    </message>
    <message>
        <source>Settings: </source>
        <translation>Settings: </translation>
    </message>
    <message>
        <source>Lists: </source>
        <translation>Lists: </translation>
    </message>
    <message>
        <source>Delphi projects under one folder: list, launch, view.</source>
        <translation>Delphi projects under one folder: list, launch, view.</translation>
    </message>
    <message>
        <source> About</source>
        <translation> About</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>First select a root directory.</source>
        <translation>First select a root directory.</translation>
    </message>
    <message>
        <source>篩選專案 (Ctrl+F, /)</source>
        <translation>Filter projects (Ctrl+F, /)</translation>
    </message>
    <message>
        <source> 輸入幾個字母篩選主列表和熱門列表 (Esc 清除, ↓ 到列表)</source>
        <translation> Type a few letters to filter the main list and the hotlist (Esc clears, ↓ goes to the list)</translation>
    </message>
    <message>
        <source>Executable missing</source>
        <translation>Executable missing</translation>
    </message>
    <message>
        <source>Executable older than the newest source</source>
        <translation>Executable older than the newest source</translation>
    </message>
    <message>
        <source>Executable up to date</source>
        <translation>Executable up to date</translation>
    </message>
    <message>
        <source>missing</source>
        <translation>missing</translation>
    </message>
    <message>
        <source>none</source>
        <translation>none</translation>
    </message>
    <message>
        <source>Executable: %1</source>
        <translation>Executable: %1</translation>
    </message>
    <message>
        <source>Newest source: %1</source>
        <translation>Newest source: %1</translation>
    </message>
    <message>
        <source> The list no longer follows changes on disk: the folders under the root need more watches than the system allows (fs.inotify.max_user_watches = %1). Raise it, e.g. sudo sysctl fs.inotify.max_user_watches=524288, then scan again.</source>
        <translation> The list no longer follows changes on disk: the folders under the root need more watches than the system allows (fs.inotify.max_user_watches = %1). Raise it, e.g. sudo sysctl fs.inotify.max_user_watches=524288, then scan again.</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>unknown</translation>
    </message>
</context>
<context>
    <name>TForm2</name>
    <message>
        <source>Kestrabel 繁體中文介面翻譯：Kestrabel 團隊</source>
        <translation>Kestrabel options</translation>
    </message>
    <message>
        <source> 根目錄</source>
        <translation> Root folder</translation>
    </message>
    <message>
        <source> 瀏覽根目錄資料夾 </source>
        <translation> Browse for the root folder </translation>
    </message>
    <message>
        <source> 檔案管理</source>
        <translation> File manager</translation>
    </message>
    <message>
        <source>顯示專案資料夾在檔案管理當執行專案</source>
        <translation>Show project folder in file manager on run</translation>
    </message>
    <message>
        <source> 瀏覽檔案管理</source>
        <translation> Browse for the file manager</translation>
    </message>
    <message>
        <source>命令直線行選項：</source>
        <translation>Command-line options:</translation>
    </message>
    <message>
        <source> 輸入任何必要的命令直線行選項(不是專案路徑！) </source>
        <translation> Enter any command-line options needed (not the project path!) </translation>
    </message>
    <message>
        <source>跟隨系統</source>
        <translation>Follow the system</translation>
    </message>
    <message>
        <source>英文</source>
        <translation>English</translation>
    </message>
    <message>
        <source>簡體中文</source>
        <translation>Simplified Chinese</translation>
    </message>
    <message>
        <source>繁體中文</source>
        <translation>Traditional Chinese</translation>
    </message>
    <message>
        <source> 介面的語言；跟隨系統使用系統的語言設定 </source>
        <translation> The interface language; “Follow the system” uses the system’s language setting </translation>
    </message>
    <message>
        <source>下次啟動時生效</source>
        <translation>Applies at next start</translation>
    </message>
    <message>
        <source> 顯示檔案列表：</source>
        <translation> Show in file list:</translation>
    </message>
    <message>
        <source>顏色：</source>
        <translation>Color:</translation>
    </message>
    <message>
        <source> Delphi 專案檔案</source>
        <translation> Delphi project file</translation>
    </message>
    <message>
        <source>單位來源檔案</source>
        <translation>Unit source file</translation>
    </message>
    <message>
        <source> Delphi 單</source>
        <translation> Delphi form</translation>
    </message>
    <message>
        <source> 桌面設定</source>
        <translation> Desktop settings</translation>
    </message>
    <message>
        <source> 專案選擇檔案</source>
        <translation> Project options file</translation>
    </message>
    <message>
        <source> 專案組態檔案 </source>
        <translation> Project configuration file </translation>
    </message>
    <message>
        <source> Lazarus 專案檔案</source>
        <translation> Lazarus project file</translation>
    </message>
    <message>
        <source> Lazarus 程式檔案</source>
        <translation> Lazarus program file</translation>
    </message>
    <message>
        <source> Lazarus 單</source>
        <translation> Lazarus form</translation>
    </message>
    <message>
        <source> 包含檔案</source>
        <translation> Include file</translation>
    </message>
    <message>
        <source> 按這選擇新的顏色</source>
        <translation> Click to choose a new color</translation>
    </message>
    <message>
        <source>按這選擇新的顏色 </source>
        <translation>Click to choose a new color </translation>
    </message>
    <message>
        <source> 不同的選擇 </source>
        <translation> Miscellaneous </translation>
    </message>
    <message>
        <source>最小化當執行 exe 檔案</source>
        <translation>Minimize when running an exe</translation>
    </message>
    <message>
        <source>最小化 KBL 當執行專案</source>
        <translation>Minimize KBL when running a project</translation>
    </message>
    <message>
        <source>最小化全部當執行專案</source>
        <translation>Minimize all when running a project</translation>
    </message>
    <message>
        <source>不載入儲存列表</source>
        <translation>Don&apos;t load the saved list</translation>
    </message>
    <message>
        <source> 不載入儲存列表</source>
        <translation> Don&apos;t load the saved list</translation>
    </message>
    <message>
        <source>掃描 Lazarus 專案 (.lpi)</source>
        <translation>Scan Lazarus projects (.lpi)</translation>
    </message>
    <message>
        <source> 掃描時也列出 Lazarus 專案</source>
        <translation> List Lazarus projects too when scanning</translation>
    </message>
    <message>
        <source> 雙按一列表項目執行：</source>
        <translation> Double-click on a list entry runs:</translation>
    </message>
    <message>
        <source>Exe 檔案</source>
        <translation>Exe file</translation>
    </message>
    <message>
        <source>專案</source>
        <translation>Project</translation>
    </message>
    <message>
        <source> 方法跳躍器：</source>
        <translation> Method jumper:</translation>
    </message>
    <message>
        <source>移去參數列表</source>
        <translation>Remove parameter lists</translation>
    </message>
    <message>
        <source> 排除這些資料夾當掃描：</source>
        <translation> Exclude these folders when scanning:</translation>
    </message>
    <message>
        <source>增加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source> 增加資料夾到列表 </source>
        <translation> Add a folder to the list </translation>
    </message>
    <message>
        <source>移除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source> 移除選擇資料夾由列表 </source>
        <translation> Remove the selected folder from the list </translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source> Don&apos;t exclude these folders when scanning </source>
        <translation> Don&apos;t exclude these folders when scanning </translation>
    </message>
    <message>
        <source>確定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>exe</source>
        <translation>exe</translation>
    </message>
    <message>
        <source>prjct</source>
        <translation>prjct</translation>
    </message>
    <message>
        <source>選擇檔案管理</source>
        <translation>Choose the file manager</translation>
    </message>
    <message>
        <source>全部檔案(*);;Exe 檔案(*.exe)</source>
        <translation>All files (*);;Exe files (*.exe)</translation>
    </message>
    <message>
        <source>Not a program (it may not be executed):</source>
        <translation>Not a program (it may not be executed):</translation>
    </message>
    <message>
        <source>The selected folder is in the list already.</source>
        <translation>The selected folder is in the list already.</translation>
    </message>
    <message>
        <source>Folder already listed</source>
        <translation>Folder already listed</translation>
    </message>
    <message>
        <source>取消</source>
        <comment>turns the exclusions off</comment>
        <translation>Disable</translation>
    </message>
    <message>
        <source>介面語言：</source>
        <translation>Language:</translation>
    </message>
    <message>
        <source>跟隨根目錄下的變化</source>
        <translation>Follow changes under the root</translation>
    </message>
    <message>
        <source> 不必重新掃描，專案列表即跟隨專案的出現與消失</source>
        <translation> The project list follows projects appearing and vanishing without a new scan</translation>
    </message>
</context>
<context>
    <name>TForm3</name>
    <message>
        <source>檔案檢視器</source>
        <translation>File viewer</translation>
    </message>
    <message>
        <source>檔案</source>
        <translation>File</translation>
    </message>
    <message>
        <source>字體</source>
        <translation>Font</translation>
    </message>
    <message>
        <source>背景顏色</source>
        <translation>Background color</translation>
    </message>
    <message>
        <source>離開</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>搜尋</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>尋找</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>尋找下一個</source>
        <translation>Find next</translation>
    </message>
    <message>
        <source>專案檔案</source>
        <translation>Project files</translation>
    </message>
    <message>
        <source>方法跳躍器</source>
        <translation>Method jumper</translation>
    </message>
    <message>
        <source>Can&apos;t find folder:</source>
        <translation>Can&apos;t find folder:</translation>
    </message>
    <message>
        <source>&apos;%1&apos; wasn&apos;t found.</source>
        <translation>&apos;%1&apos; wasn&apos;t found.</translation>
    </message>
</context>
<context>
    <name>TForm4</name>
    <message>
        <source>方法跳躍器</source>
        <translation>Method jumper</translation>
    </message>
    <message>
        <source>方法</source>
        <translation>Method</translation>
    </message>
    <message>
        <source>地址</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>The help file is missing:</source>
        <translation>The help file is missing:</translation>
    </message>
    <message>
        <source> Can&apos;t find help file</source>
        <translation> Can&apos;t find help file</translation>
    </message>
    <message>
        <source>篩選方法 (Ctrl+F, /)</source>
        <translation>Filter methods (Ctrl+F, /)</translation>
    </message>
    <message>
        <source>輸入幾個字母篩選列表 (Enter 跳到第一個, Esc 清除, ↓ 到列表)</source>
        <translation>Type a few letters to filter the list (Enter jumps to the first, Esc clears, ↓ goes to the list)</translation>
    </message>
</context>
<context>
    <name>ViewerState</name>
    <message>
        <source>Can&apos;t find file:</source>
        <translation>Can&apos;t find file:</translation>
    </message>
    <message>
        <source>Not a file:</source>
        <translation>Not a file:</translation>
    </message>
    <message>
        <source>Cannot open file &quot;%1&quot;. %2</source>
        <translation>Cannot open file &quot;%1&quot;. %2</translation>
    </message>
</context>
</TS>
