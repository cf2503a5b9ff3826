<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>DueText</name>
    <message>
        <source>today</source>
        <translation>今天</translation>
    </message>
    <message>
        <source>tomorrow</source>
        <translation>明天</translation>
    </message>
    <message>
        <source>yesterday</source>
        <translation>昨天</translation>
    </message>
</context>
<context>
    <name>TaskCount</name>
    <message>
        <source>{0, plural, one {# task} other {# tasks}}</source>
        <comment>ICU MessageFormat: keep {0, plural, ...} and #</comment>
        <translation>{0, plural, other {# 项任务}}</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::AccountDialog</name>
    <message>
        <source>Accounts</source>
        <translation>账户</translation>
    </message>
    <message>
        <source>Account</source>
        <translation>账户</translation>
    </message>
    <message>
        <source>Account name</source>
        <translation>账户名称</translation>
    </message>
    <message>
        <source>Server URL</source>
        <translation>服务器网址</translation>
    </message>
    <message>
        <source>User name</source>
        <translation>用户名</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>密码</translation>
    </message>
    <message>
        <source>&amp;Account:</source>
        <translation>账户(&amp;A):</translation>
    </message>
    <message>
        <source>&amp;Name:</source>
        <translation>名称(&amp;N):</translation>
    </message>
    <message>
        <source>Server &amp;URL:</source>
        <translation>服务器网址(&amp;U):</translation>
    </message>
    <message>
        <source>U&amp;ser:</source>
        <translation>用户(&amp;S):</translation>
    </message>
    <message>
        <source>&amp;Password:</source>
        <translation>密码(&amp;P):</translation>
    </message>
    <message>
        <source>The password is kept in your desktop&apos;s keyring (the Secret Service), not in a file; a sync asks the keyring for it.</source>
        <translation>密码保存在桌面的密钥环（Secret Service）中，而不是文件里；每次同步时向密钥环获取。</translation>
    </message>
    <message>
        <source>New account</source>
        <translation>新账户</translation>
    </message>
    <message>
        <source>unchanged</source>
        <translation>不变</translation>
    </message>
    <message>
        <source>kept elsewhere now; type it to keep it in the keyring</source>
        <translation>目前保存在别处；输入密码即可保存到密钥环</translation>
    </message>
    <message>
        <source>Not saved: %1</source>
        <translation>未保存：%1</translation>
    </message>
    <message>
        <source>&amp;Remove Account…</source>
        <translation>删除账户(&amp;R)…</translation>
    </message>
    <message>
        <source>Remove account</source>
        <translation>删除账户</translation>
    </message>
    <message>
        <source>Remove Account</source>
        <translation>删除账户</translation>
    </message>
    <message>
        <source>Remove the account %1?</source>
        <translation>删除账户 %1？</translation>
    </message>
    <message>
        <source>Its lists stay on this computer, no longer synced; the server keeps them. Its password leaves the keyring.</source>
        <translation>其列表保留在此计算机上，不再同步；服务器仍保留它们。其密码将从密钥环中删除。</translation>
    </message>
    <message>
        <source>Also &amp;delete its lists and their tasks on this computer</source>
        <translation>同时删除此计算机上的列表及其任务(&amp;D)</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>Not removed: %1</source>
        <translation>未删除：%1</translation>
    </message>
    <message>
        <source>Removed, but: %1</source>
        <translation>已删除，但：%1</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::DetailsPane</name>
    <message>
        <source>Flagged</source>
        <translation>已标记</translation>
    </message>
    <message>
        <source>Task details</source>
        <translation>任务详情</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>标题</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>备注</translation>
    </message>
    <message>
        <source>Due</source>
        <translation>截止</translation>
    </message>
    <message>
        <source>None</source>
        <translation>无</translation>
    </message>
    <message>
        <source>A date as in quick entry: “fri 5pm”, “2031-12-24”, “in 3 days”. Without a time the task is due all day; empty: no due.</source>
        <translation>与快速输入相同的日期：“周五下午5点”、“2031-12-24”、“3天后”。不带时间则为全天；留空则无截止日期。</translation>
    </message>
    <message>
        <source>List</source>
        <translation>列表</translation>
    </message>
    <message>
        <source>Priority</source>
        <translation>优先级</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>低</translation>
    </message>
    <message>
        <source>Medium</source>
        <translation>中</translation>
    </message>
    <message>
        <source>High</source>
        <translation>高</translation>
    </message>
    <message>
        <source>Tags</source>
        <translation>标签</translation>
    </message>
    <message>
        <source>errand, home</source>
        <translation>跑腿, 家里</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::MainWindow</name>
    <message>
        <source>Zarvo</source>
        <translation>Zarvo</translation>
    </message>
    <message>
        <source>Tasks</source>
        <translation>任务</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>搜索</translation>
    </message>
    <message>
        <source>Search tasks</source>
        <translation>搜索任务</translation>
    </message>
    <message>
        <source>Order</source>
        <translation>排序</translation>
    </message>
    <message>
        <source>By due date</source>
        <translation>按截止日期</translation>
    </message>
    <message>
        <source>By priority</source>
        <translation>按优先级</translation>
    </message>
    <message>
        <source>Newest first</source>
        <translation>最新的在前</translation>
    </message>
    <message>
        <source>By title</source>
        <translation>按标题</translation>
    </message>
    <message>
        <source>Overdue first</source>
        <translation>逾期的在前</translation>
    </message>
    <message>
        <source>Sync problem</source>
        <translation>同步问题</translation>
    </message>
    <message>
        <source>Dismiss</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Dismiss the sync problem</source>
        <translation>关闭同步问题提示</translation>
    </message>
    <message>
        <source>New list</source>
        <translation>新列表</translation>
    </message>
    <message>
        <source>Waiting for %1 to finish with the home…</source>
        <translation>正在等待 %1 用完此文件夹…</translation>
    </message>
    <message>
        <source>No date found in “%1”; the due is unchanged.</source>
        <translation>在“%1”中找不到日期；截止日期未更改。</translation>
    </message>
    <message>
        <source>Complete</source>
        <translation>完成</translation>
    </message>
    <message>
        <source>Flag</source>
        <translation>标记</translation>
    </message>
    <message>
        <source>Move to…</source>
        <translation>移动到…</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>编辑(&amp;E)</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>撤销</translation>
    </message>
    <message>
        <source>Undone: %1</source>
        <translation>已撤销：%1</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>重做</translation>
    </message>
    <message>
        <source>Redone: %1</source>
        <translation>已重做：%1</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>视图(&amp;V)</translation>
    </message>
    <message>
        <source>&amp;Sort By</source>
        <translation>排序方式(&amp;S)</translation>
    </message>
    <message>
        <source>Sync Now</source>
        <translation>立即同步</translation>
    </message>
    <message>
        <source>&amp;Sync</source>
        <translation>同步(&amp;S)</translation>
    </message>
    <message>
        <source>Syncing…</source>
        <translation>正在同步…</translation>
    </message>
    <message>
        <source>Syncing… %1</source>
        <translation>正在同步… %1</translation>
    </message>
    <message>
        <source>Synced.</source>
        <translation>已同步。</translation>
    </message>
    <message>
        <source>Sync failed: %1</source>
        <translation>同步失败：%1</translation>
    </message>
    <message>
        <source>Remove List</source>
        <translation>删除列表</translation>
    </message>
    <message numerus="yes">
        <source>Remove “%1” and all its tasks (%n open)?</source>
        <translation>
            <numerusform>删除“%1”及其所有任务（%n 项未完成）？</numerusform>
        </translation>
    </message>
    <message>
        <source>Completed tasks go with it. Edit → Undo brings the list back.</source>
        <translation>已完成的任务也会一并删除。编辑 → 撤销 可恢复该列表。</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>That task is no longer open.</source>
        <translation>该任务已不再是未完成状态。</translation>
    </message>
    <message>
        <source>Undo %1</source>
        <translation>撤销 %1</translation>
    </message>
    <message>
        <source>Redo %1</source>
        <translation>重做 %1</translation>
    </message>
    <message>
        <source>Reading your tasks…</source>
        <translation>正在读取任务…</translation>
    </message>
    <message numerus="yes">
        <source>%n task file(s) skipped (unreadable, or a second file of one task); ZARVO_LOG_LEVEL=error shows which and why</source>
        <translation>
            <numerusform>已跳过 %n 个任务文件（无法读取，或同一任务的第二个文件）；ZARVO_LOG_LEVEL=error 可显示是哪些及原因</numerusform>
        </translation>
    </message>
    <message>
        <source>Move to list</source>
        <translation>移动到列表</translation>
    </message>
    <message>
        <source>Your order</source>
        <translation>自定义顺序</translation>
    </message>
    <message>
        <source>&amp;Accounts…</source>
        <translation>账户(&amp;A)…</translation>
    </message>
    <message>
        <source>Account %1 saved; Sync Now fetches its lists.</source>
        <translation>账户 %1 已保存；“立即同步”将获取其列表。</translation>
    </message>
    <message>
        <source>Account %1 removed, and its lists on this computer.</source>
        <translation>账户 %1 已删除，连同其在此计算机上的列表。</translation>
    </message>
    <message>
        <source>Account %1 removed; its lists stay here, no longer synced.</source>
        <translation>账户 %1 已删除；其列表保留在这里，不再同步。</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::QuickAddBox</name>
    <message>
        <source>Quick Add</source>
        <translation>快速添加</translation>
    </message>
    <message>
        <source>Quick add</source>
        <translation>快速添加</translation>
    </message>
    <message>
        <source>Not added: %1</source>
        <translation>未添加：%1</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::QuickEntry</name>
    <message>
        <source>New task: &quot;Call Anna tomorrow 5pm #Work !!&quot;</source>
        <translation>新任务：“明天下午5点给安娜打电话 #工作 !!”</translation>
    </message>
    <message>
        <source>Quick entry</source>
        <translation>快速输入</translation>
    </message>
    <message>
        <source>What Enter creates</source>
        <translation>按回车将创建的内容</translation>
    </message>
    <message>
        <source>Type a task; a date, #list and !! are understood.</source>
        <translation>输入任务；可识别日期、#列表 和 !!。</translation>
    </message>
    <message>
        <source>Nothing is left for a title.</source>
        <translation>没有剩下可作标题的内容。</translation>
    </message>
    <message>
        <source>Due %1</source>
        <translation>截止 %1</translation>
    </message>
    <message>
        <source>in %1</source>
        <translation>放入 %1</translation>
    </message>
    <message>
        <source>no list &quot;%1&quot;: in %2</source>
        <translation>没有列表“%1”：放入 %2</translation>
    </message>
    <message>
        <source>flagged</source>
        <translation>已标记</translation>
    </message>
    <message>
        <source>repeats</source>
        <translation>重复</translation>
    </message>
    <message>
        <source>1 day</source>
        <translation>1天</translation>
    </message>
    <message>
        <source>%1 days</source>
        <translation>%1天</translation>
    </message>
    <message>
        <source>1 hour</source>
        <translation>1小时</translation>
    </message>
    <message>
        <source>%1 hours</source>
        <translation>%1小时</translation>
    </message>
    <message>
        <source>1 minute</source>
        <translation>1分钟</translation>
    </message>
    <message>
        <source>%1 minutes</source>
        <translation>%1分钟</translation>
    </message>
    <message>
        <source>reminder %1 before</source>
        <translation>提前%1提醒</translation>
    </message>
    <message>
        <source>reminder in %1</source>
        <translation>%1后提醒</translation>
    </message>
    <message>
        <source>reminder %1</source>
        <translation>提醒 %1</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::Sidebar</name>
    <message>
        <source>Lists</source>
        <translation>列表</translation>
    </message>
    <message>
        <source>Today</source>
        <translation>今天</translation>
    </message>
    <message>
        <source>Upcoming</source>
        <translation>即将到来</translation>
    </message>
    <message>
        <source>Flagged</source>
        <translation>已标记</translation>
    </message>
    <message>
        <source>Top</source>
        <translation>重要</translation>
    </message>
    <message>
        <source>All</source>
        <translation>全部</translation>
    </message>
    <message>
        <source>Red</source>
        <translation>红色</translation>
    </message>
    <message>
        <source>Orange</source>
        <translation>橙色</translation>
    </message>
    <message>
        <source>Yellow</source>
        <translation>黄色</translation>
    </message>
    <message>
        <source>Green</source>
        <translation>绿色</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>蓝色</translation>
    </message>
    <message>
        <source>Purple</source>
        <translation>紫色</translation>
    </message>
    <message>
        <source>Brown</source>
        <translation>棕色</translation>
    </message>
    <message>
        <source>Grey</source>
        <translation>灰色</translation>
    </message>
    <message>
        <source>Colour of %1</source>
        <translation>%1 的颜色</translation>
    </message>
    <message>
        <source>Remove List…</source>
        <translation>删除列表…</translation>
    </message>
    <message>
        <source>My Lists</source>
        <translation>我的列表</translation>
    </message>
    <message>
        <source>This computer</source>
        <translation>此电脑</translation>
    </message>
    <message>
        <source>%1, folded</source>
        <translation>%1，已折叠</translation>
    </message>
    <message>
        <source>%1, unfolded</source>
        <translation>%1，已展开</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::SyncController</name>
    <message>
        <source>%1: failed</source>
        <translation>%1：失败</translation>
    </message>
    <message numerus="yes">
        <source>%n added here</source>
        <translation>
            <numerusform>本地新增 %n 项</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n updated here</source>
        <translation>
            <numerusform>本地更新 %n 项</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n deleted here</source>
        <translation>
            <numerusform>本地删除 %n 项</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n added on the server</source>
        <translation>
            <numerusform>服务器新增 %n 项</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n updated on the server</source>
        <translation>
            <numerusform>服务器更新 %n 项</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n deleted on the server</source>
        <translation>
            <numerusform>服务器删除 %n 项</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n conflict(s)</source>
        <translation>
            <numerusform>%n 个冲突</numerusform>
        </translation>
    </message>
    <message>
        <source>%1: up to date</source>
        <translation>%1：已是最新</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::TaskModel</name>
    <message>
        <source>flagged</source>
        <translation>已标记</translation>
    </message>
</context>
</TS>
