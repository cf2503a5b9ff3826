# fish completion for zarvo: commands, their options, list titles and the ids of open tasks (asked of
# zarvo itself, with the --home and --config typed on the line; an id comes with its task's title).
set -l commands add ls report show done undo redo edit snooze mv rm tag purge lists list-add list-edit list-rm list-mv list-default quick parse account sync reminders

complete -c zarvo -f

function __zarvo_complete -a what
    set -l line (commandline -opc)
    set -l with
    for i in (seq 2 (count $line))
        if contains -- $line[(math $i - 1)] --home --config
            set -a with $line[(math $i - 1)] $line[$i]
        end
    end
    command $line[1] $with __complete $what 2>/dev/null
end

# The number of words after the command, options and their values left out.
function __zarvo_words_after_command
    set -l line (commandline -opc)
    set -l n -1
    set -l skip 0
    for word in $line[2..-1]
        if test $skip -eq 1
            set skip 0
        else if string match -qr -- '^--(home|config|color|priority|ref|tz|title|notes|due|search|above|list|option|tag|sort|lang|user|password-.*)$' $word
            set skip 1
        else if not string match -q -- '-*' $word
            set n (math $n + 1)
        end
    end
    echo $n
end
# Global options, before or after the command.
complete -c zarvo -l home -r -a '(__fish_complete_directories)' -d 'The home folder'
complete -c zarvo -l color -x -a 'auto always never' -d 'Colours'
complete -c zarvo -l config -r -F -d 'The settings file'
complete -c zarvo -n "not __fish_seen_subcommand_from $commands" -l version -d 'Print the version'
complete -c zarvo -s h -l help -d 'Print help'

complete -c zarvo -n "not __fish_seen_subcommand_from $commands" -a add -d 'Add a task from one line'
complete -c zarvo -n "not __fish_seen_subcommand_from $commands" -a ls -d 'List tasks'
complete -c zarvo -n "not __fish_seen_subcommand_from $commands" -a report -d 'Overdue, due today and flagged tasks'
complete -c zarvo -n "not __fish_seen_subcommand_from $commands" -a show -d 'Show every detail of tasks'
complete -c zarvo -n "not __fish_seen_subcommand_from $commands" -a done -d 'Mark tasks completed'
complete -c zarvo -n "not __fish_seen_subcommand_from $commands" -a undo -d 'Revert the last change; with ids, reopen tasks'
complete -c zarvo -n "not __fish_seen_subcommand_from $commands" -a edit -d 'Change a task'
complete -c zarvo -n "not __fish_seen_subcommand_from $commands" -a snooze -d 'Move a due date later'
complete -c zarvo -n "not __fish_seen_subcommand_from $commands" -a mv -d 'Move a task to another list'
complete -c zarvo -n "not __fish_seen_subcommand_from $commands" -a rm -d 'Delete tasks'
complete -c zarvo -n "not __fish_seen_subcommand_from $commands" -a tag -d 'Add or remove tags'
complete -c zarvo -n "not __fish_seen_subcommand_from $commands" -a purge -d 'Delete every completed task'
complete -c zarvo -n "not __fish_seen_subcommand_from $commands" -a lists -d 'Show the lists'
complete -c zarvo -n "not __fish_seen_subcommand_from $commands" -a list-add -d 'Create a list'
complete -c zarvo -n "not __fish_seen_subcommand_from $commands" -a list-edit -d 'Rename or recolour a list'
complete -c zarvo -n "not __fish_seen_subcommand_from $commands" -a list-rm -d 'Delete a list with its tasks'
complete -c zarvo -n "not __fish_seen_subcommand_from $commands" -a list-mv -d "Move a list to another list's place"
complete -c zarvo -n "not __fish_seen_subcommand_from $commands" -a list-default -d 'Choose the default list'
complete -c zarvo -n "not __fish_seen_subcommand_from $commands" -a quick -d 'Show what quick entry reads'
complete -c zarvo -n "not __fish_seen_subcommand_from $commands" -a parse -d 'Read date phrases'

complete -c zarvo -n "__fish_seen_subcommand_from $commands" -l json -d 'Print JSON'
complete -c zarvo -n "__fish_seen_subcommand_from add ls report show edit snooze quick parse" -l ref -x -d 'Reference time (2024-03-11T17:00)'
complete -c zarvo -n "__fish_seen_subcommand_from add ls report show edit snooze quick parse" -l tz -x -d 'Time zone (IANA name)'
complete -c zarvo -n "__fish_seen_subcommand_from ls" -l today -d 'Due today or earlier'
complete -c zarvo -n "__fish_seen_subcommand_from ls" -l upcoming -d 'Due tomorrow or later'
complete -c zarvo -n "__fish_seen_subcommand_from ls" -l flagged -d 'Only flagged tasks'
complete -c zarvo -n "__fish_seen_subcommand_from ls" -l top -d 'Only priority 3'
complete -c zarvo -n "__fish_seen_subcommand_from ls edit add" -l priority -x -d 'Priority'
complete -c zarvo -n "__fish_seen_subcommand_from ls" -l search -x -d 'Title or notes contain'
complete -c zarvo -n "__fish_seen_subcommand_from add ls" -l tag -x -d 'A tag (repeatable)'
complete -c zarvo -n "__fish_seen_subcommand_from ls" -l completed -d 'Completed tasks instead'
complete -c zarvo -n "__fish_seen_subcommand_from ls" -l sort -x -a 'priority due created title overdue' -d 'Order'
complete -c zarvo -n "__fish_seen_subcommand_from ls" -l desc -d 'Reverse the order'
complete -c zarvo -n "__fish_seen_subcommand_from edit" -l title -x -d 'New title'
complete -c zarvo -n "__fish_seen_subcommand_from edit add" -l notes -x -d 'Notes'
complete -c zarvo -n "__fish_seen_subcommand_from edit" -l due -x -d 'New due date phrase'
complete -c zarvo -n "__fish_seen_subcommand_from edit" -l no-due -d 'Remove the due date'
complete -c zarvo -n "__fish_seen_subcommand_from edit add" -l flag -d 'Flag the task'
complete -c zarvo -n "__fish_seen_subcommand_from edit" -l unflag -d 'Remove the flag'
complete -c zarvo -n "__fish_seen_subcommand_from tag" -l remove -d 'Remove the tags'
complete -c zarvo -n "__fish_seen_subcommand_from list-rm" -s f -l force -d 'Delete a list holding tasks'
complete -c zarvo -n "__fish_seen_subcommand_from rm purge list-rm" -s y -l yes -d 'Delete without asking'
complete -c zarvo -n "__fish_seen_subcommand_from rm purge list-rm" -l dry-run -d 'Only show what would be deleted'
complete -c zarvo -n "__fish_seen_subcommand_from undo" -l skip -d 'Drop changes that cannot be undone, undo the one before'
complete -c zarvo -n "__fish_seen_subcommand_from list-mv" -l above -x -a '(__zarvo_complete lists)' -d 'The list whose place it takes'
complete -c zarvo -n "__fish_seen_subcommand_from add quick" -l list -x -a '(__zarvo_complete lists)' -d 'The list (quick: a title to try)'
complete -c zarvo -n "__fish_seen_subcommand_from add quick" -l literal -d "Read without the settings' corrections"
complete -c zarvo -n "__fish_seen_subcommand_from parse" -l strict -d 'Strict configuration'
complete -c zarvo -n "__fish_seen_subcommand_from parse" -l lang -x -a 'english spanish french japanese german chinese en es fr ja de zh' -d 'Preferred language'
complete -c zarvo -n "__fish_seen_subcommand_from parse" -l option -x -d 'NAME=INT'
complete -c zarvo -n "__fish_seen_subcommand_from parse" -l batch -d 'One text per line of stdin'
complete -c zarvo -n "not __fish_seen_subcommand_from $commands" -a account -d 'CalDAV accounts'
complete -c zarvo -n "not __fish_seen_subcommand_from $commands" -a sync -d 'Sync the CalDAV accounts'
complete -c zarvo -n "not __fish_seen_subcommand_from $commands" -a reminders -d 'Start zarvo-reminders with the session, stop it, or say whether it runs'
complete -c zarvo -n "__fish_seen_subcommand_from reminders" -a 'enable disable status'
complete -c zarvo -n "__fish_seen_subcommand_from account; and not __fish_seen_subcommand_from add ls rm" -a 'add ls rm'
complete -c zarvo -n "__fish_seen_subcommand_from account" -l user -x -d 'User name on the server'
complete -c zarvo -n "__fish_seen_subcommand_from account" -l password-file -r -F -d 'Read the password from a file'
complete -c zarvo -n "__fish_seen_subcommand_from account" -l password-command -x -d 'Command that prints the password'
complete -c zarvo -n "__fish_seen_subcommand_from account" -l password-env -x -d 'Variable holding the password'
complete -c zarvo -n "__fish_seen_subcommand_from account" -l upload -d "Move this machine's lists into it"
complete -c zarvo -n "__fish_seen_subcommand_from account" -l no-upload -d 'Do not offer to move the lists'
complete -c zarvo -n "__fish_seen_subcommand_from account" -l delete-local -d 'Also delete its lists here'
complete -c zarvo -n "__fish_seen_subcommand_from sync" -l discover -d 'Kept for scripts (every sync looks)'
complete -c zarvo -n "__fish_seen_subcommand_from sync" -l force-delete -d 'Empty lists emptied on the server'
complete -c zarvo -n "__fish_seen_subcommand_from ls" -l overdue -d 'Only overdue tasks'
complete -c zarvo -n "__fish_seen_subcommand_from ls" -l week -d 'Only tasks due this week'
complete -c zarvo -n "__fish_seen_subcommand_from ls" -l no-due -d 'Only tasks without a due date'

# Lists and task ids for the words after the command.
complete -c zarvo -n "__fish_seen_subcommand_from list-edit list-rm list-mv list-default; and test (__zarvo_words_after_command) -eq 0" -a '(__zarvo_complete lists)'
complete -c zarvo -n "__fish_seen_subcommand_from ls" -a '(__zarvo_complete lists)'
complete -c zarvo -n "__fish_seen_subcommand_from show done rm" -a '(__zarvo_complete ids)'
complete -c zarvo -n "__fish_seen_subcommand_from edit snooze tag mv; and test (__zarvo_words_after_command) -eq 0" -a '(__zarvo_complete ids)'
complete -c zarvo -n "__fish_seen_subcommand_from mv; and test (__zarvo_words_after_command) -eq 1" -a '(__zarvo_complete lists)'
