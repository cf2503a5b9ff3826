<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja">
<context>
    <name>DueText</name>
    <message>
        <source>today</source>
        <translation>今日</translation>
    </message>
    <message>
        <source>tomorrow</source>
        <translation>明日</translation>
    </message>
    <message>
        <source>yesterday</source>
        <translation>昨日</translation>
    </message>
</context>
<context>
    <name>TaskCount</name>
    <message>
        <source>{0, plural, one {# task} other {# tasks}}</source>
        <comment>ICU MessageFormat: keep {0, plural, ...} and #</comment>
        <translation>{0, plural, other {# 件のタスク}}</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::AccountDialog</name>
    <message>
        <source>Accounts</source>
        <translation>アカウント</translation>
    </message>
    <message>
        <source>Account</source>
        <translation>アカウント</translation>
    </message>
    <message>
        <source>Account name</source>
        <translation>アカウント名</translation>
    </message>
    <message>
        <source>Server URL</source>
        <translation>サーバーURL</translation>
    </message>
    <message>
        <source>User name</source>
        <translation>ユーザー名</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>パスワード</translation>
    </message>
    <message>
        <source>&amp;Account:</source>
        <translation>アカウント(&amp;A):</translation>
    </message>
    <message>
        <source>&amp;Name:</source>
        <translation>名前(&amp;N):</translation>
    </message>
    <message>
        <source>Server &amp;URL:</source>
        <translation>サーバーURL(&amp;U):</translation>
    </message>
    <message>
        <source>U&amp;ser:</source>
        <translation>ユーザー(&amp;S):</translation>
    </message>
    <message>
        <source>&amp;Password:</source>
        <translation>パスワード(&amp;P):</translation>
    </message>
    <message>
        <source>The password is kept in your desktop&apos;s keyring (the Secret Service), not in a file; a sync asks the keyring for it.</source>
        <translation>パスワードはファイルではなくデスクトップのキーリング（Secret Service）に保存され、同期のたびにキーリングから取得されます。</translation>
    </message>
    <message>
        <source>New account</source>
        <translation>新しいアカウント</translation>
    </message>
    <message>
        <source>unchanged</source>
        <translation>変更なし</translation>
    </message>
    <message>
        <source>kept elsewhere now; type it to keep it in the keyring</source>
        <translation>現在は別の場所にあります。キーリングに保存するには入力してください</translation>
    </message>
    <message>
        <source>Not saved: %1</source>
        <translation>保存されませんでした: %1</translation>
    </message>
    <message>
        <source>&amp;Remove Account…</source>
        <translation>アカウントを削除(&amp;R)…</translation>
    </message>
    <message>
        <source>Remove account</source>
        <translation>アカウントを削除</translation>
    </message>
    <message>
        <source>Remove Account</source>
        <translation>アカウントを削除</translation>
    </message>
    <message>
        <source>Remove the account %1?</source>
        <translation>アカウント %1 を削除しますか？</translation>
    </message>
    <message>
        <source>Its lists stay on this computer, no longer synced; the server keeps them. Its password leaves the keyring.</source>
        <translation>リストはこのコンピュータに残り、同期されなくなります。サーバーにも残ります。パスワードはキーリングから削除されます。</translation>
    </message>
    <message>
        <source>Also &amp;delete its lists and their tasks on this computer</source>
        <translation>このコンピュータ上のリストとタスクも削除する(&amp;D)</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>削除</translation>
    </message>
    <message>
        <source>Not removed: %1</source>
        <translation>削除されませんでした: %1</translation>
    </message>
    <message>
        <source>Removed, but: %1</source>
        <translation>削除しましたが: %1</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::DetailsPane</name>
    <message>
        <source>Flagged</source>
        <translation>フラグ付き</translation>
    </message>
    <message>
        <source>Task details</source>
        <translation>タスクの詳細</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>タイトル</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>メモ</translation>
    </message>
    <message>
        <source>Due</source>
        <translation>期限</translation>
    </message>
    <message>
        <source>None</source>
        <translation>なし</translation>
    </message>
    <message>
        <source>A date as in quick entry: “fri 5pm”, “2031-12-24”, “in 3 days”. Without a time the task is due all day; empty: no due.</source>
        <translation>クイック入力と同じ書き方の日付：「金曜 17時」「2031-12-24」「3日後」。時刻がなければ終日、空欄なら期限なし。</translation>
    </message>
    <message>
        <source>List</source>
        <translation>リスト</translation>
    </message>
    <message>
        <source>Priority</source>
        <translation>優先度</translation>
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
        <translation>タグ</translation>
    </message>
    <message>
        <source>errand, home</source>
        <translation>用事, 家</translation>
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
        <translation>タスク</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>検索</translation>
    </message>
    <message>
        <source>Search tasks</source>
        <translation>タスクを検索</translation>
    </message>
    <message>
        <source>Order</source>
        <translation>並び順</translation>
    </message>
    <message>
        <source>By due date</source>
        <translation>期限順</translation>
    </message>
    <message>
        <source>By priority</source>
        <translation>優先度順</translation>
    </message>
    <message>
        <source>Newest first</source>
        <translation>新しい順</translation>
    </message>
    <message>
        <source>By title</source>
        <translation>タイトル順</translation>
    </message>
    <message>
        <source>Overdue first</source>
        <translation>期限切れを先に</translation>
    </message>
    <message>
        <source>Sync problem</source>
        <translation>同期の問題</translation>
    </message>
    <message>
        <source>Dismiss</source>
        <translation>閉じる</translation>
    </message>
    <message>
        <source>Dismiss the sync problem</source>
        <translation>同期の問題を閉じる</translation>
    </message>
    <message>
        <source>New list</source>
        <translation>新しいリスト</translation>
    </message>
    <message>
        <source>Waiting for %1 to finish with the home…</source>
        <translation>%1 がフォルダーの使用を終えるのを待っています…</translation>
    </message>
    <message>
        <source>No date found in “%1”; the due is unchanged.</source>
        <translation>「%1」に日付が見つかりません。期限は変わりません。</translation>
    </message>
    <message>
        <source>Complete</source>
        <translation>完了</translation>
    </message>
    <message>
        <source>Flag</source>
        <translation>フラグ</translation>
    </message>
    <message>
        <source>Move to…</source>
        <translation>移動…</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>削除</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>編集(&amp;E)</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>元に戻す</translation>
    </message>
    <message>
        <source>Undone: %1</source>
        <translation>元に戻しました: %1</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>やり直す</translation>
    </message>
    <message>
        <source>Redone: %1</source>
        <translation>やり直しました: %1</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>表示(&amp;V)</translation>
    </message>
    <message>
        <source>&amp;Sort By</source>
        <translation>並べ替え(&amp;S)</translation>
    </message>
    <message>
        <source>Sync Now</source>
        <translation>今すぐ同期</translation>
    </message>
    <message>
        <source>&amp;Sync</source>
        <translation>同期(&amp;S)</translation>
    </message>
    <message>
        <source>Syncing…</source>
        <translation>同期中…</translation>
    </message>
    <message>
        <source>Syncing… %1</source>
        <translation>同期中… %1</translation>
    </message>
    <message>
        <source>Synced.</source>
        <translation>同期しました。</translation>
    </message>
    <message>
        <source>Sync failed: %1</source>
        <translation>同期に失敗しました: %1</translation>
    </message>
    <message>
        <source>Remove List</source>
        <translation>リストを削除</translation>
    </message>
    <message numerus="yes">
        <source>Remove “%1” and all its tasks (%n open)?</source>
        <translation>
            <numerusform>「%1」とそのすべてのタスク（未完了 %n 件）を削除しますか？</numerusform>
        </translation>
    </message>
    <message>
        <source>Completed tasks go with it. Edit → Undo brings the list back.</source>
        <translation>完了したタスクも一緒に削除されます。編集 → 元に戻す でリストを戻せます。</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>削除</translation>
    </message>
    <message>
        <source>That task is no longer open.</source>
        <translation>そのタスクはもう未完了ではありません。</translation>
    </message>
    <message>
        <source>Undo %1</source>
        <translation>元に戻す: %1</translation>
    </message>
    <message>
        <source>Redo %1</source>
        <translation>やり直す: %1</translation>
    </message>
    <message>
        <source>Reading your tasks…</source>
        <translation>タスクを読み込んでいます…</translation>
    </message>
    <message numerus="yes">
        <source>%n task file(s) skipped (unreadable, or a second file of one task); ZARVO_LOG_LEVEL=error shows which and why</source>
        <translation>
            <numerusform>%n 件のタスクファイルをスキップしました（読めないか、同じタスクの2つ目のファイル）。ZARVO_LOG_LEVEL=error で詳細を表示します</numerusform>
        </translation>
    </message>
    <message>
        <source>Move to list</source>
        <translation>リストへ移動</translation>
    </message>
    <message>
        <source>Your order</source>
        <translation>手動の並び順</translation>
    </message>
    <message>
        <source>&amp;Accounts…</source>
        <translation>アカウント(&amp;A)…</translation>
    </message>
    <message>
        <source>Account %1 saved; Sync Now fetches its lists.</source>
        <translation>アカウント %1 を保存しました。「今すぐ同期」でリストを取得します。</translation>
    </message>
    <message>
        <source>Account %1 removed, and its lists on this computer.</source>
        <translation>アカウント %1 と、このコンピュータ上のそのリストを削除しました。</translation>
    </message>
    <message>
        <source>Account %1 removed; its lists stay here, no longer synced.</source>
        <translation>アカウント %1 を削除しました。リストはここに残り、同期されなくなります。</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::QuickAddBox</name>
    <message>
        <source>Quick Add</source>
        <translation>クイック追加</translation>
    </message>
    <message>
        <source>Quick add</source>
        <translation>クイック追加</translation>
    </message>
    <message>
        <source>Not added: %1</source>
        <translation>追加されませんでした: %1</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::QuickEntry</name>
    <message>
        <source>New task: &quot;Call Anna tomorrow 5pm #Work !!&quot;</source>
        <translation>新しいタスク:「明日17時にアンナに電話 #仕事 !!」</translation>
    </message>
    <message>
        <source>Quick entry</source>
        <translation>クイック入力</translation>
    </message>
    <message>
        <source>What Enter creates</source>
        <translation>Enter で作成される内容</translation>
    </message>
    <message>
        <source>Type a task; a date, #list and !! are understood.</source>
        <translation>タスクを入力。日付、#リスト、!! を認識します。</translation>
    </message>
    <message>
        <source>Nothing is left for a title.</source>
        <translation>タイトルになる部分が残っていません。</translation>
    </message>
    <message>
        <source>Due %1</source>
        <translation>期限 %1</translation>
    </message>
    <message>
        <source>in %1</source>
        <translation>%1 に追加</translation>
    </message>
    <message>
        <source>no list &quot;%1&quot;: in %2</source>
        <translation>リスト「%1」はありません: %2 に追加</translation>
    </message>
    <message>
        <source>flagged</source>
        <translation>フラグ付き</translation>
    </message>
    <message>
        <source>repeats</source>
        <translation>繰り返し</translation>
    </message>
    <message>
        <source>1 day</source>
        <translation>1日</translation>
    </message>
    <message>
        <source>%1 days</source>
        <translation>%1日</translation>
    </message>
    <message>
        <source>1 hour</source>
        <translation>1時間</translation>
    </message>
    <message>
        <source>%1 hours</source>
        <translation>%1時間</translation>
    </message>
    <message>
        <source>1 minute</source>
        <translation>1分</translation>
    </message>
    <message>
        <source>%1 minutes</source>
        <translation>%1分</translation>
    </message>
    <message>
        <source>reminder %1 before</source>
        <translation>%1前に通知</translation>
    </message>
    <message>
        <source>reminder in %1</source>
        <translation>%1後に通知</translation>
    </message>
    <message>
        <source>reminder %1</source>
        <translation>通知 %1</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::Sidebar</name>
    <message>
        <source>Lists</source>
        <translation>リスト</translation>
    </message>
    <message>
        <source>Today</source>
        <translation>今日</translation>
    </message>
    <message>
        <source>Upcoming</source>
        <translation>予定</translation>
    </message>
    <message>
        <source>Flagged</source>
        <translation>フラグ付き</translation>
    </message>
    <message>
        <source>Top</source>
        <translation>重要</translation>
    </message>
    <message>
        <source>All</source>
        <translation>すべて</translation>
    </message>
    <message>
        <source>Red</source>
        <translation>赤</translation>
    </message>
    <message>
        <source>Orange</source>
        <translation>オレンジ</translation>
    </message>
    <message>
        <source>Yellow</source>
        <translation>黄</translation>
    </message>
    <message>
        <source>Green</source>
        <translation>緑</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>青</translation>
    </message>
    <message>
        <source>Purple</source>
        <translation>紫</translation>
    </message>
    <message>
        <source>Brown</source>
        <translation>茶</translation>
    </message>
    <message>
        <source>Grey</source>
        <translation>グレー</translation>
    </message>
    <message>
        <source>Colour of %1</source>
        <translation>%1 の色</translation>
    </message>
    <message>
        <source>Remove List…</source>
        <translation>リストを削除…</translation>
    </message>
    <message>
        <source>My Lists</source>
        <translation>マイリスト</translation>
    </message>
    <message>
        <source>This computer</source>
        <translation>このコンピュータ</translation>
    </message>
    <message>
        <source>%1, folded</source>
        <translation>%1、折りたたみ</translation>
    </message>
    <message>
        <source>%1, unfolded</source>
        <translation>%1、展開</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::SyncController</name>
    <message>
        <source>%1: failed</source>
        <translation>%1: 失敗</translation>
    </message>
    <message numerus="yes">
        <source>%n added here</source>
        <translation>
            <numerusform>ここで %n 件追加</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n updated here</source>
        <translation>
            <numerusform>ここで %n 件更新</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n deleted here</source>
        <translation>
            <numerusform>ここで %n 件削除</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n added on the server</source>
        <translation>
            <numerusform>サーバーで %n 件追加</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n updated on the server</source>
        <translation>
            <numerusform>サーバーで %n 件更新</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n deleted on the server</source>
        <translation>
            <numerusform>サーバーで %n 件削除</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n conflict(s)</source>
        <translation>
            <numerusform>%n 件の競合</numerusform>
        </translation>
    </message>
    <message>
        <source>%1: up to date</source>
        <translation>%1: 最新</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::TaskModel</name>
    <message>
        <source>flagged</source>
        <translation>フラグ付き</translation>
    </message>
</context>
</TS>
