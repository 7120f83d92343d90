<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="zh_TW">
<context>
    <name>Files</name>
    <message>
        <source>Not a file</source>
        <translation>不是文件</translation>
    </message>
</context>
<context>
    <name>FindDialog</name>
    <message>
        <source>尋找</source>
        <translation>查找</translation>
    </message>
    <message>
        <source>尋找目標:</source>
        <translation>查找目标:</translation>
    </message>
    <message>
        <source>全字拼寫須相符</source>
        <translation>全字匹配</translation>
    </message>
    <message>
        <source>大小寫須相符</source>
        <translation>区分大小写</translation>
    </message>
    <message>
        <source>方向</source>
        <translation>方向</translation>
    </message>
    <message>
        <source>向上</source>
        <translation>向上</translation>
    </message>
    <message>
        <source>向下</source>
        <translation>向下</translation>
    </message>
    <message>
        <source>找下一個</source>
        <translation>查找下一个</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>IniFile</name>
    <message>
        <source>Unable to write to %1</source>
        <translation>无法写入 %1</translation>
    </message>
</context>
<context>
    <name>KestrabelApplication</name>
    <message>
        <source>unknown error</source>
        <translation>未知错误</translation>
    </message>
</context>
<context>
    <name>LastError</name>
    <message>
        <source>Unknown error</source>
        <translation>未知错误</translation>
    </message>
</context>
<context>
    <name>Process</name>
    <message>
        <source>No program to start.</source>
        <translation>没有要启动的程序。</translation>
    </message>
    <message>
        <source>The file %1 does not exist.</source>
        <translation>文件 %1 不存在。</translation>
    </message>
    <message>
        <source>The desktop entry %1 has no usable command.</source>
        <translation>桌面项 %1 没有可用的命令。</translation>
    </message>
    <message>
        <source>No application is associated with %1 (%2).</source>
        <translation>没有与 %1 (%2) 关联的应用程序。</translation>
    </message>
    <message>
        <source>unknown type</source>
        <translation>未知类型</translation>
    </message>
</context>
<context>
    <name>ProjectLaunch</name>
    <message>
        <source>The file manager&apos;s command-line option has an unmatched double quote:</source>
        <translation>文件管理器的命令行选项中有不成对的双引号:</translation>
    </message>
    <message>
        <source>Enter path to delphi32.exe</source>
        <translation>输入 delphi32.exe 的路径</translation>
    </message>
    <message>
        <source>Can&apos;t find the Delphi executable. Please enter path:</source>
        <translation>找不到 Delphi 可执行文件。请输入路径:</translation>
    </message>
    <message>
        <source>Please try again.</source>
        <translation>请重试。</translation>
    </message>
    <message>
        <source>Wrong path</source>
        <translation>路径错误</translation>
    </message>
    <message>
        <source>Can&apos;t find %1</source>
        <translation>找不到 %1</translation>
    </message>
    <message>
        <source>Unsuccessful</source>
        <translation>未成功</translation>
    </message>
    <message>
        <source>Please rescan your Delphi projects.</source>
        <translation>请重新扫描您的 Delphi 项目。</translation>
    </message>
    <message>
        <source>Folder not found</source>
        <translation>找不到文件夹</translation>
    </message>
    <message>
        <source>Can&apos;t find filemanager:</source>
        <translation>找不到文件管理器:</translation>
    </message>
</context>
<context>
    <name>ProjectUpdate</name>
    <message>
        <source>Can&apos;t find folder:</source>
        <translation>找不到文件夹:</translation>
    </message>
    <message>
        <source>No project found in folder.</source>
        <translation>文件夹中没有找到项目。</translation>
    </message>
</context>
<context>
    <name>ScanRun</name>
    <message>
        <source> Scanning completed (%1 projects excluded - see options)</source>
        <translation> 扫描完成(排除了 %1 个项目 - 见选项)</translation>
    </message>
    <message>
        <source> Scanning stopped (%1 projects found)</source>
        <translation> 扫描已停止(找到 %1 个项目)</translation>
    </message>
</context>
<context>
    <name>TForm1</name>
    <message>
        <source>設定目錄</source>
        <translation>设置目录</translation>
    </message>
    <message>
        <source> 設定目錄</source>
        <translation> 设置目录</translation>
    </message>
    <message>
        <source>掃描</source>
        <translation>扫描</translation>
    </message>
    <message>
        <source> 掃描 Delphi 專案</source>
        <translation> 扫描 Delphi 项目</translation>
    </message>
    <message>
        <source>選項</source>
        <translation>选项</translation>
    </message>
    <message>
        <source>執行專案</source>
        <translation>运行项目</translation>
    </message>
    <message>
        <source>執行 exe</source>
        <translation>运行 exe</translation>
    </message>
    <message>
        <source> 執行 exe 檔案</source>
        <translation> 运行 exe 文件</translation>
    </message>
    <message>
        <source>開啟資料夾</source>
        <translation>打开文件夹</translation>
    </message>
    <message>
        <source>開啟專案資料夾</source>
        <translation>打开项目文件夹</translation>
    </message>
    <message>
        <source>檢視檔案</source>
        <translation>查看文件</translation>
    </message>
    <message>
        <source>檢視所選檔案(filelist)(F3)</source>
        <translation>查看所选文件(文件列表)(F3)</translation>
    </message>
    <message>
        <source>應用</source>
        <translation>应用</translation>
    </message>
    <message>
        <source>Exe</source>
        <translation>Exe</translation>
    </message>
    <message>
        <source>專案路徑</source>
        <translation>项目路径</translation>
    </message>
    <message>
        <source>應用(熱門列表)</source>
        <translation>应用(热门列表)</translation>
    </message>
    <message>
        <source>檔案名稱</source>
        <translation>文件名称</translation>
    </message>
    <message>
        <source>大小(kb)</source>
        <translation>大小(kb)</translation>
    </message>
    <message>
        <source>&amp;Restore</source>
        <translation>还原(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Minimize</source>
        <translation>最小化(&amp;M)</translation>
    </message>
    <message>
        <source>Ma&amp;ximize</source>
        <translation>最大化(&amp;X)</translation>
    </message>
    <message>
        <source>&amp;Close	Alt+F4</source>
        <translation>关闭(&amp;C)	Alt+F4</translation>
    </message>
    <message>
        <source>Maximi&amp;ze</source>
        <translation>最大化(&amp;Z)</translation>
    </message>
    <message>
        <source>&amp;About ...</source>
        <translation>关于(&amp;A)...</translation>
    </message>
    <message>
        <source>&amp;Help	F1</source>
        <translation>帮助(&amp;H)	F1</translation>
    </message>
    <message>
        <source>E&amp;xit	Esc</source>
        <translation>退出(&amp;X)	Esc</translation>
    </message>
    <message>
        <source> Loaded saved list</source>
        <translation> 已载入保存的列表</translation>
    </message>
    <message>
        <source> prjcts</source>
        <translation> 个项目</translation>
    </message>
    <message>
        <source> [root: %1]</source>
        <translation> [根目录: %1]</translation>
    </message>
    <message>
        <source>Can&apos;t find folder:</source>
        <translation>找不到文件夹:</translation>
    </message>
    <message>
        <source>執行 Exe</source>
        <translation>运行 Exe</translation>
    </message>
    <message>
        <source>更新項目</source>
        <translation>更新条目</translation>
    </message>
    <message>
        <source>增加到熱門列表</source>
        <translation>添加到热门列表</translation>
    </message>
    <message>
        <source>刪除項目</source>
        <translation>删除条目</translation>
    </message>
    <message>
        <source>Can&apos;t open the help file:</source>
        <translation>无法打开帮助文件:</translation>
    </message>
    <message>
        <source>Filename (main list)</source>
        <translation>文件名(主列表)</translation>
    </message>
    <message>
        <source>Filename (hotlist)</source>
        <translation>文件名(热门列表)</translation>
    </message>
    <message>
        <source>Settings: </source>
        <translation>设置: </translation>
    </message>
    <message>
        <source>Lists: </source>
        <translation>列表: </translation>
    </message>
    <message>
        <source>Delphi projects under one folder: list, launch, view.</source>
        <translation>一个文件夹下的 Delphi 项目：列出、启动、查看。</translation>
    </message>
    <message>
        <source> About</source>
        <translation> 关于</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>First select a root directory.</source>
        <translation>请先选择根目录。</translation>
    </message>
    <message>
        <source>篩選專案 (Ctrl+F, /)</source>
        <translation>筛选项目 (Ctrl+F, /)</translation>
    </message>
    <message>
        <source> 輸入幾個字母篩選主列表和熱門列表 (Esc 清除, ↓ 到列表)</source>
        <translation> 输入几个字母筛选主列表和热门列表 (Esc 清除, ↓ 到列表)</translation>
    </message>
    <message>
        <source>Executable missing</source>
        <translation>可执行文件不存在</translation>
    </message>
    <message>
        <source>Executable older than the newest source</source>
        <translation>可执行文件比最新的源文件旧</translation>
    </message>
    <message>
        <source>Executable up to date</source>
        <translation>可执行文件是最新的</translation>
    </message>
    <message>
        <source>missing</source>
        <translation>不存在</translation>
    </message>
    <message>
        <source>none</source>
        <translation>无</translation>
    </message>
    <message>
        <source>Executable: %1</source>
        <translation>可执行文件：%1</translation>
    </message>
    <message>
        <source>Newest source: %1</source>
        <translation>最新源文件：%1</translation>
    </message>
    <message>
        <source> The list no longer follows changes on disk: the folders under the root need more watches than the system allows (fs.inotify.max_user_watches = %1). Raise it, e.g. sudo sysctl fs.inotify.max_user_watches=524288, then scan again.</source>
        <translation> 列表不再跟随磁盘上的变化：根目录下的文件夹需要的监视数超过系统允许的数量 (fs.inotify.max_user_watches = %1)。请调高该值，例如 sudo sysctl fs.inotify.max_user_watches=524288，然后重新扫描。</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>未知</translation>
    </message>
</context>
<context>
    <name>TForm2</name>
    <message>
        <source>Kestrabel 繁體中文介面翻譯：Kestrabel 團隊</source>
        <translation>Kestrabel 简体中文界面翻译：Kestrabel 团队</translation>
    </message>
    <message>
        <source> 根目錄</source>
        <translation> 根目录</translation>
    </message>
    <message>
        <source> 瀏覽根目錄資料夾 </source>
        <translation> 浏览根目录文件夹 </translation>
    </message>
    <message>
        <source> 檔案管理</source>
        <translation> 文件管理器</translation>
    </message>
    <message>
        <source>顯示專案資料夾在檔案管理當執行專案</source>
        <translation>运行项目时在文件管理器中显示项目文件夹</translation>
    </message>
    <message>
        <source> 瀏覽檔案管理</source>
        <translation> 浏览文件管理器</translation>
    </message>
    <message>
        <source>命令直線行選項：</source>
        <translation>命令行选项：</translation>
    </message>
    <message>
        <source> 輸入任何必要的命令直線行選項(不是專案路徑！) </source>
        <translation> 输入任何必要的命令行选项(不是项目路径！) </translation>
    </message>
    <message>
        <source>跟隨系統</source>
        <translation>跟随系统</translation>
    </message>
    <message>
        <source>英文</source>
        <translation>英文</translation>
    </message>
    <message>
        <source>簡體中文</source>
        <translation>简体中文</translation>
    </message>
    <message>
        <source>繁體中文</source>
        <translation>繁体中文</translation>
    </message>
    <message>
        <source> 介面的語言；跟隨系統使用系統的語言設定 </source>
        <translation> 界面的语言；跟随系统即使用系统的语言设置 </translation>
    </message>
    <message>
        <source>下次啟動時生效</source>
        <translation>下次启动时生效</translation>
    </message>
    <message>
        <source> 顯示檔案列表：</source>
        <translation> 显示文件列表：</translation>
    </message>
    <message>
        <source>顏色：</source>
        <translation>颜色：</translation>
    </message>
    <message>
        <source> Delphi 專案檔案</source>
        <translation> Delphi 项目文件</translation>
    </message>
    <message>
        <source>單位來源檔案</source>
        <translation>单元源文件</translation>
    </message>
    <message>
        <source> Delphi 單</source>
        <translation> Delphi 窗体</translation>
    </message>
    <message>
        <source> 桌面設定</source>
        <translation> 桌面设置</translation>
    </message>
    <message>
        <source> 專案選擇檔案</source>
        <translation> 项目选项文件</translation>
    </message>
    <message>
        <source> 專案組態檔案 </source>
        <translation> 项目配置文件 </translation>
    </message>
    <message>
        <source> Lazarus 專案檔案</source>
        <translation> Lazarus 项目文件</translation>
    </message>
    <message>
        <source> Lazarus 程式檔案</source>
        <translation> Lazarus 程序文件</translation>
    </message>
    <message>
        <source> Lazarus 單</source>
        <translation> Lazarus 窗体</translation>
    </message>
    <message>
        <source> 包含檔案</source>
        <translation> 包含文件</translation>
    </message>
    <message>
        <source> 按這選擇新的顏色</source>
        <translation> 点击这里选择新的颜色</translation>
    </message>
    <message>
        <source>按這選擇新的顏色 </source>
        <translation>点击这里选择新的颜色 </translation>
    </message>
    <message>
        <source> 不同的選擇 </source>
        <translation> 其他选项 </translation>
    </message>
    <message>
        <source>最小化當執行 exe 檔案</source>
        <translation>运行 exe 文件时最小化</translation>
    </message>
    <message>
        <source>最小化 KBL 當執行專案</source>
        <translation>运行项目时最小化 KBL</translation>
    </message>
    <message>
        <source>最小化全部當執行專案</source>
        <translation>运行项目时最小化全部窗口</translation>
    </message>
    <message>
        <source>不載入儲存列表</source>
        <translation>不载入保存的列表</translation>
    </message>
    <message>
        <source> 不載入儲存列表</source>
        <translation> 不载入保存的列表</translation>
    </message>
    <message>
        <source>掃描 Lazarus 專案 (.lpi)</source>
        <translation>扫描 Lazarus 项目 (.lpi)</translation>
    </message>
    <message>
        <source> 掃描時也列出 Lazarus 專案</source>
        <translation> 扫描时也列出 Lazarus 项目</translation>
    </message>
    <message>
        <source> 雙按一列表項目執行：</source>
        <translation> 双击列表项目时运行：</translation>
    </message>
    <message>
        <source>Exe 檔案</source>
        <translation>Exe 文件</translation>
    </message>
    <message>
        <source>專案</source>
        <translation>项目</translation>
    </message>
    <message>
        <source> 方法跳躍器：</source>
        <translation> 方法跳转器：</translation>
    </message>
    <message>
        <source>移去參數列表</source>
        <translation>移除参数列表</translation>
    </message>
    <message>
        <source> 排除這些資料夾當掃描：</source>
        <translation> 扫描时排除这些文件夹：</translation>
    </message>
    <message>
        <source>增加</source>
        <translation>添加</translation>
    </message>
    <message>
        <source> 增加資料夾到列表 </source>
        <translation> 添加文件夹到列表 </translation>
    </message>
    <message>
        <source>移除</source>
        <translation>移除</translation>
    </message>
    <message>
        <source> 移除選擇資料夾由列表 </source>
        <translation> 从列表移除所选文件夹 </translation>
    </message>
    <message>
        <source>取消</source>
        <translation>取消</translation>
    </message>
    <message>
        <source> Don&apos;t exclude these folders when scanning </source>
        <translation> 扫描时不排除这些文件夹 </translation>
    </message>
    <message>
        <source>確定</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>exe</source>
        <translation>exe</translation>
    </message>
    <message>
        <source>prjct</source>
        <translation>项目</translation>
    </message>
    <message>
        <source>選擇檔案管理</source>
        <translation>选择文件管理器</translation>
    </message>
    <message>
        <source>全部檔案(*);;Exe 檔案(*.exe)</source>
        <translation>全部文件(*);;Exe 文件(*.exe)</translation>
    </message>
    <message>
        <source>Not a program (it may not be executed):</source>
        <translation>不是程序(不能执行):</translation>
    </message>
    <message>
        <source>The selected folder is in the list already.</source>
        <translation>所选文件夹已在列表中。</translation>
    </message>
    <message>
        <source>Folder already listed</source>
        <translation>文件夹已列出</translation>
    </message>
    <message>
        <source>取消</source>
        <comment>turns the exclusions off</comment>
        <translation>停用</translation>
    </message>
    <message>
        <source>介面語言：</source>
        <translation>界面语言：</translation>
    </message>
    <message>
        <source>跟隨根目錄下的變化</source>
        <translation>跟随根目录下的变化</translation>
    </message>
    <message>
        <source> 不必重新掃描，專案列表即跟隨專案的出現與消失</source>
        <translation> 项目列表无需重新扫描即可跟随项目的出现和消失</translation>
    </message>
</context>
<context>
    <name>TForm3</name>
    <message>
        <source>檔案檢視器</source>
        <translation>文件查看器</translation>
    </message>
    <message>
        <source>檔案</source>
        <translation>文件</translation>
    </message>
    <message>
        <source>字體</source>
        <translation>字体</translation>
    </message>
    <message>
        <source>背景顏色</source>
        <translation>背景颜色</translation>
    </message>
    <message>
        <source>離開</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>搜尋</source>
        <translation>搜索</translation>
    </message>
    <message>
        <source>尋找</source>
        <translation>查找</translation>
    </message>
    <message>
        <source>尋找下一個</source>
        <translation>查找下一个</translation>
    </message>
    <message>
        <source>專案檔案</source>
        <translation>项目文件</translation>
    </message>
    <message>
        <source>方法跳躍器</source>
        <translation>方法跳转器</translation>
    </message>
    <message>
        <source>Can&apos;t find folder:</source>
        <translation>找不到文件夹:</translation>
    </message>
    <message>
        <source>&apos;%1&apos; wasn&apos;t found.</source>
        <translation>找不到“%1”。</translation>
    </message>
</context>
<context>
    <name>TForm4</name>
    <message>
        <source>方法跳躍器</source>
        <translation>方法跳转器</translation>
    </message>
    <message>
        <source>方法</source>
        <translation>方法</translation>
    </message>
    <message>
        <source>地址</source>
        <translation>地址</translation>
    </message>
    <message>
        <source>The help file is missing:</source>
        <translation>帮助文件不存在:</translation>
    </message>
    <message>
        <source> Can&apos;t find help file</source>
        <translation> 找不到帮助文件</translation>
    </message>
    <message>
        <source>篩選方法 (Ctrl+F, /)</source>
        <translation>筛选方法 (Ctrl+F, /)</translation>
    </message>
    <message>
        <source>輸入幾個字母篩選列表 (Enter 跳到第一個, Esc 清除, ↓ 到列表)</source>
        <translation>输入几个字母筛选列表 (Enter 跳到第一个, Esc 清除, ↓ 到列表)</translation>
    </message>
</context>
<context>
    <name>ViewerState</name>
    <message>
        <source>Can&apos;t find file:</source>
        <translation>找不到文件:</translation>
    </message>
    <message>
        <source>Not a file:</source>
        <translation>不是文件:</translation>
    </message>
    <message>
        <source>Cannot open file &quot;%1&quot;. %2</source>
        <translation>无法打开文件“%1”。%2</translation>
    </message>
</context>
</TS>
